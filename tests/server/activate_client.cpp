// A client process for the tests: activates the class named on its command line on the session
// bus and prints the unique bus name of the server that created the object.
#include "automation/bus_activation.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    const QCoreApplication application(argc, argv);
    if (argc != 2)
        return 2;
    const auto activation = quillbrook::bus::activate(QDBusConnection::sessionBus(), QString::fromLocal8Bit(argv[1]));
    if (quillbrook::FAILED(activation.result)) {
        std::fprintf(stderr, "0x%08X\n", static_cast<unsigned>(activation.result));
        return 1;
    }
    std::printf("%s\n", activation.object.service.toUtf8().constData());
    return 0;
}
