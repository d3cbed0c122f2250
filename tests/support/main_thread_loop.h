// The main thread of a test program as the server has it: a QCoreApplication whose event loop the
// test runs while it waits for worker threads to reach it.
#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <functional>

namespace quillbrook::testing {

// The application object of the test program, made on first use by the thread that runs the
// tests, which thereby becomes the main thread.
inline QCoreApplication& testApplication()
{
    if (QCoreApplication* existing = QCoreApplication::instance())
        return *existing;
    static int argc = 1;
    static char name[] = "quillbrook-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    return application;
}

// Runs the main thread's event loop until `done` holds or `timeout` has passed; returns done().
// The condition is checked after every batch of events, and every 5 ms for conditions that other
// threads change without sending an event.
inline bool runEventLoopUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    testApplication();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    QTimer wake;
    wake.start(5);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace quillbrook::testing
