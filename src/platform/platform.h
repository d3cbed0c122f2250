// The platform room: the stand-ins for the facilities of the platform the system was designed
// for. The hive (registry), special folders, the process charset and the result codes. Every
// other room reaches the operating system through here.
#pragma once

#include "platform/charset.h"
#include "platform/command_line.h"
#include "platform/editor_windows.h"
#include "platform/file_dialog_request.h"
#include "platform/file_stamp.h"
#include "platform/file_names.h"
#include "platform/folders.h"
#include "platform/hive.h"
#include "platform/modal_interactions.h"
#include "platform/path_exists.h"
#include "platform/program_info.h"
#include "platform/process.h"
#include "platform/program_search.h"
#include "platform/stop_event.h"
#include "platform/win32_error.h"
