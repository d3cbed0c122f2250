#include "server/server_run.h"

#include "automation/module_lock.h"
#include "platform/modal_interactions.h"
#include "server/class_objects.h"
#include "server/process_setup.h"
#include "server/registration.h"
#include "server/shutdown_monitor.h"
#include "platform/termination_signals.h"
#include "service/change_watcher.h"
#include "service/menu_dialog_hook.h"
#include "service/session_notices.h"
#include "store/global_settings.h"
#include "ui/dialogs.h"
#include "ui/qt_modal_interactions.h"

#include <QApplication>
#include <QDBusConnection>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace quillbrook {
namespace {

// The process-wide state the original server kept, as it is set when the server runs.
struct ServerState {
    bool delayShutdown = true;
    ShutdownMonitor::IdleTimeout idleTimeout; // INFINITE
    std::chrono::milliseconds pause{1000};
};

void postQuit()
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

// The end of the session bus is the end of the user's session, which ends the server.
void quitWhenTheBusEnds(QDBusConnection connection)
{
    connection.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                       QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"),
                       QCoreApplication::instance(), SLOT(quit()));
}

} // namespace

[[nodiscard]] HRESULT runServer(int& argc, char** argv)
{
    TerminationSignals termination;
    if (!termination.ok())
        return E_FAIL;
    raiseOpenFileLimit();
    detachStandardInputAndOutput();
    chooseDisplayPlatform();
    ServerState state;
    QApplication application(argc, argv);
    // Dialogs come and go; the server outlives them.
    QApplication::setQuitOnLastWindowClosed(false);
    QtModalInteractions dialogs;
    const ScopedModalInteractions useDialogs(dialogs);
    setMenuDialogRunner([](std::int32_t owner) { runMenuItemsDialog(static_cast<WindowId>(owner)); });

    if (const HRESULT result = globalSettings().Load(std::string()); FAILED(result))
        return result;
    if (const HRESULT result = changeWatcher().Start(); FAILED(result))
        return result;
    ClassObjects classObjects;
    std::unique_ptr<ShutdownMonitor> monitor;
    const HRESULT registered = classObjects.registerAll(QDBusConnection::sessionBus());
    if (registered == S_OK && state.delayShutdown) {
        monitor = std::make_unique<ShutdownMonitor>(state.idleTimeout, &ModuleLock::count, postQuit);
        if (!monitor->started()) {
            changeWatcher().Stop();
            return E_FAIL;
        }
    } else if (registered != S_OK) {
        state.delayShutdown = false;
    }
    if (FAILED(registered)) {
        changeWatcher().Stop();
        return registered;
    }

    if (registered == S_OK) {
        // A user whom the package's activation file served first gets the class keys that
        // "RegServer" would have written; a failure here leaves the server serving all the same.
        if (const HRESULT firstUse = registerClassesOnFirstUse(RegistrationTarget::forThisProgram()); FAILED(firstUse))
            std::fprintf(stderr, "quillbrook: cannot register the classes for this user: 0x%08X\n",
                         static_cast<unsigned>(firstUse));
        // Only the server that owns the bus name may take what an ended one left.
        keepLeftoverTemporaryFiles();
        termination.onSignal(postQuit);
        quitWhenTheBusEnds(QDBusConnection::sessionBus());
        QApplication::exec();
    }

    changeWatcher().Stop();
    const HRESULT revoked = classObjects.revoke();
    monitor.reset();
    if (state.delayShutdown)
        std::this_thread::sleep_for(state.pause);
    return revoked;
}

} // namespace quillbrook
