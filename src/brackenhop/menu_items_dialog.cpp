#include "brackenhop/menu_items_dialog.h"

#include "automation/bus_activation.h"
#include "interfaces/iservice.h"

#include <QDBusMessage>
#include <cstdint>
#include <limits>

namespace quillbrook {
namespace {

// The dialog is modal and stays open as long as the user likes.
constexpr int kNoTimeout = std::numeric_limits<int>::max();

QDBusMessage callOn(const bus::ObjectReference& object, const QString& interface, const QString& method)
{
    return QDBusMessage::createMethodCall(object.service, object.path.path(), interface, method);
}

} // namespace

[[nodiscard]] HRESULT openMenuItemsDialog(QDBusConnection connection)
{
    const bus::Activation service = bus::activate(connection, QStringLiteral("Quillbrook.Service"));
    if (FAILED(service.result))
        return service.result;
    const QString serviceInterface =
        QString::fromLatin1(bus::kInstanceInterfacePrefix) + QStringView(IService::interfaceInfo().name).toString();
    QDBusMessage show = callOn(service.object, serviceInterface, QStringLiteral("ShowMenuDialog"));
    show << std::int32_t{0};
    connection.call(show, QDBus::Block, kNoTimeout);
    connection.call(callOn(service.object, QLatin1StringView(bus::kDispatchInterface), QStringLiteral("Release")));
    return S_OK;
}

} // namespace quillbrook
