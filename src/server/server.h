// The server room: the quillbrook program. Its command line (the registration switches), what
// registration writes and unregistration removes (class keys, AppID, type library, D-Bus
// activation file), and the server's run: start-up sequence, class objects on the session bus,
// shutdown monitor, termination by signal, and results as exit statuses. Brackenhop reads its
// command line and reports its results through the same functions.
#pragma once

#include "server/exit_status.h"
#include "server/registration.h"
#include "server/registration_switch.h"
#include "server/server_run.h"
