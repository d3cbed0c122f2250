// The interfaces room: the system's automation interfaces as its type library states them
// (members in vtable order, names, DISPIDs, parameter names, help strings, class and interface
// ids), each with the type-info table that drives its dispatch and its introspection.
// The browser's page interfaces that the system calls are described the same way, with the
// proxies that reach them on a page that another process serves on the bus.
#pragma once

#include "interfaces/htmlwindowevents.h"
#include "interfaces/ifileopenservice.h"
#include "interfaces/ihtmldocument2.h"
#include "interfaces/ihtmlelement.h"
#include "interfaces/ihtmlformelement.h"
#include "interfaces/ihtmlinputtextelement.h"
#include "interfaces/ihtmltextareaelement.h"
#include "interfaces/iservice.h"
#include "interfaces/remote_page.h"
#include "interfaces/text_box.h"
