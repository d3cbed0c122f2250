#include "automation/bus_contract.h"

#include <QDBusMetaType>
#include <QList>

namespace quillbrook::bus {

QDBusArgument& operator<<(QDBusArgument& argument, const ObjectReference& reference)
{
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ObjectReference& reference)
{
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}

void registerBusTypes()
{
    // Registering again is harmless, so every exporter can make sure of it.
    qDBusRegisterMetaType<ObjectReference>();
    qDBusRegisterMetaType<QList<int>>();
}

} // namespace quillbrook::bus
