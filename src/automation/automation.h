// The automation room: what the original platform's automation gave the system, as data and
// generic code that knows no concrete interface. GUIDs, variants and their coercions, type-info
// tables built from member-function pointers, dispatch by name and DISPID driven by those tables,
// QueryInterface and objects with several interfaces (facets), the process's class registry by
// which objects are created from a class id or ProgID, connection points that deliver a
// source's events to its sinks, introspection text generated from the tables, the server
// module's lock count, and the blocking calls by which worker threads reach the main thread.
#pragma once

#include "automation/class_factory.h"
#include "automation/connection_interfaces.h"
#include "automation/connection_point.h"
#include "automation/dispatchable.h"
#include "automation/facets.h"
#include "automation/guid.h"
#include "automation/interface_info.h"
#include "automation/introspection.h"
#include "automation/main_thread.h"
#include "automation/member_table.h"
#include "automation/module_lock.h"
#include "automation/variant.h"
