// The program room: what the programs share at their start and end. The registration switches of
// a command line, and a result as the process's exit status.
#pragma once

#include "program/exit_status.h"
#include "program/registration_switch.h"
