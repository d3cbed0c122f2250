// The compiled-in dialog templates, in id order.
#pragma once

#include "resources/dialog_templates.h"

#include <array>

namespace quillbrook::resources {

extern const std::array<DialogTemplate, 6> kDialogTemplates;

} // namespace quillbrook::resources
