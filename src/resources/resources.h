// The resources room: every text the system shows or uses as a default, in English and Japanese,
// by the same ids, the dialog templates and the program's icon.
#pragma once

#include "resources/application_icon.h"
#include "resources/dialog_templates.h"
#include "resources/format_text.h"
#include "resources/string_table.h"
