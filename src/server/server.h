// The server room: the quillbrook program. What registration writes and unregistration removes
// (class keys, AppID, type library, D-Bus activation file), and the server's run: start-up
// sequence, class objects on the session bus, shutdown monitor, termination by signal. Its command
// line's switches and its exit statuses come from the program room, as Brackenhop's do.
#pragma once

#include "server/registration.h"
#include "server/server_run.h"
