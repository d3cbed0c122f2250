// CService in the process's class registry, so that the rooms before this one (the catalogue, the
// bus server) create service objects by class id or ProgID. The programs' main and the tests hold
// the registration for as long as service objects may be created.
#pragma once

#include "automation/class_factory.h"

namespace quillbrook {

ClassRegistration registerServiceClass();

} // namespace quillbrook
