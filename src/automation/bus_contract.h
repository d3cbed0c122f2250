// The automation objects on the D-Bus session bus: the names every process agrees on, and how
// one object is named across processes. The browser bridge, Brackenhop and users' scripts depend
// on these; docs/automation.md describes them for people.
#pragma once

#include "automation/dispatchable.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QString>
#include <memory>

namespace quillbrook::bus {

inline constexpr char kServiceName[] = "org.fernhollow.Quillbrook";
inline constexpr char kClassFactoryPath[] = "/org/fernhollow/Quillbrook";
inline constexpr char kClassFactoryInterface[] = "org.fernhollow.Quillbrook.ClassFactory";
// An instance's typed interface is this prefix and the type library's interface name, e.g.
// "org.fernhollow.Quillbrook.IService".
inline constexpr char kInstanceInterfacePrefix[] = "org.fernhollow.Quillbrook.";
inline constexpr char kDispatchInterface[] = "org.fernhollow.Automation.Dispatch";
inline constexpr char kUnknownInterface[] = "org.fernhollow.Automation.Unknown";
// Page objects' interfaces are this prefix and the interface name, e.g. "org.fernhollow.Dom.IHTMLElement".
inline constexpr char kDomInterfacePrefix[] = "org.fernhollow.Dom.";
// A failing property access answers this D-Bus error; its message is the HRESULT in hex, "0x80070057".
inline constexpr char kHresultErrorName[] = "org.fernhollow.Automation.Error";
// Introspection annotations that carry the type library's DISPID and help string of each member.
inline constexpr char kDispIdAnnotation[] = "org.fernhollow.Automation.DispId";
inline constexpr char kHelpAnnotation[] = "org.fernhollow.Automation.Help";

// An object in any process: the bus name of the process that serves it and its path; `(so)` on the
// bus. The null object is ("", "/").
struct ObjectReference {
    QString service;
    QDBusObjectPath path{QStringLiteral("/")};

    bool isNull() const { return service.isEmpty(); }
    friend bool operator==(const ObjectReference&, const ObjectReference&) = default;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ObjectReference& reference);
const QDBusArgument& operator>>(const QDBusArgument& argument, ObjectReference& reference);
// Registers ObjectReference with Qt's type system; call once before marshalling.
void registerBusTypes();

// Turns objects into references for a peer and references back into objects: an object this
// process serves is exported (and held for `peer` until it releases it or leaves the bus); a
// reference to another process's object becomes a proxy that answers the interfaces the remote
// object answers.
class ObjectMarshaller {
public:
    virtual ~ObjectMarshaller() = default;
    virtual ObjectReference toReference(const std::shared_ptr<Dispatchable>& object, const QString& peer) = 0;
    virtual std::shared_ptr<Dispatchable> fromReference(const ObjectReference& reference) = 0;
    virtual QDBusConnection connection() const = 0;
};

} // namespace quillbrook::bus
