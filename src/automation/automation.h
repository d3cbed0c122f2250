// The automation room: what the original platform's automation gave the system, as data and
// generic code that knows no concrete interface. GUIDs, variants and their coercions, type-info
// tables built from member-function pointers, dispatch by name and DISPID driven by those tables,
// introspection text generated from them, and the server module's lock count.
#pragma once

#include "automation/dispatchable.h"
#include "automation/guid.h"
#include "automation/interface_info.h"
#include "automation/introspection.h"
#include "automation/member_table.h"
#include "automation/module_lock.h"
#include "automation/variant.h"
