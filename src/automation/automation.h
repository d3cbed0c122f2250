// The automation room: what the original platform's automation gave the system, as data and
// generic code that knows no concrete interface. GUIDs, variants and their coercions, type-info
// tables built from member-function pointers, dispatch by name and DISPID driven by those tables,
// QueryInterface and objects with several interfaces (facets), the process's class registry by
// which objects are created from a class id or ProgID, connection points that deliver a
// source's events to its sinks, introspection text generated from the tables, the server
// module's lock count, and the blocking calls by which worker threads reach the main thread.
// On the D-Bus session bus: the export of this process's objects (each its own path, with its
// typed interface, Dispatch and introspection, held for the peers it was handed to), the class
// factory object, and proxies that make other processes' objects look local.
#pragma once

#include "automation/bus_contract.h"
#include "automation/bus_exporter.h"
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
#include "automation/remote_object.h"
#include "automation/variant.h"
