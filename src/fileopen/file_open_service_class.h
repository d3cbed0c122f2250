// CFileOpenService in the process's class registry, so that the rooms before this one and the bus
// server create it by class id or ProgID ("Quillbrook.FileOpenService"). The programs' main and the
// tests hold the registration for as long as such objects may be created.
#pragma once

#include "automation/class_factory.h"

namespace quillbrook {

ClassRegistration registerFileOpenServiceClass();

} // namespace quillbrook
