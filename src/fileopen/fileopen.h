// The fileopen room: the Open File service (CFileOpenService), which fills a text box with a text
// file picked in an open-file dialog and keeps the command's context-menu entry, and the
// encoding list of its dialog.
#pragma once

#include "fileopen/code_page_hook.h"
#include "fileopen/file_open_service.h"
#include "fileopen/file_open_service_class.h"
#include "fileopen/file_types.h"
