// The interfaces room: the system's automation interfaces as its type library states them
// (members in vtable order, names, DISPIDs, parameter names, help strings, class and interface
// ids), each with the type-info table that drives its dispatch and its introspection.
#pragma once

#include "interfaces/ifileopenservice.h"
#include "interfaces/iservice.h"
