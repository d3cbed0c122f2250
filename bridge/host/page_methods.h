// The page interfaces' bus methods as a page serves them: each call is answered by calling the
// C++ interface of the local object, with the argument and reply shapes of the bus contract.
#pragma once

#include "automation/bus_contract.h"
#include "bridge/host/pending_calls.h"

#include <QDBusConnection>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <span>

namespace quillbrook::bridge {

// What answering a call needs of the page that serves the objects.
class PageObjects {
public:
    virtual ~PageObjects() = default;
    // The reference of an object the page hands out; the null reference for null.
    virtual bus::ObjectReference referenceOf(const std::shared_ptr<Dispatchable>& object) = 0;
    virtual QDBusConnection connection() const = 0;
    // Where the events sent to sinks advised over the bus are recorded.
    virtual std::shared_ptr<PendingDeliveries> deliveries() const = 0;
};

struct PageMethod {
    const InterfaceInfo& (*interfaceInfo)();
    const char* name;
    const char* inSignature;
    const char* outSignature;
    // Called only with an object that answers the interface and arguments of inSignature.
    QVariantList (*answer)(PageObjects& page, const std::shared_ptr<Dispatchable>& object,
                           const QVariantList& arguments);
    // For a method whose answer comes later (put_value, answered by the browser): called instead
    // of `answer`, it hands the reply's arguments to `reply`, once.
    void (*answerLater)(PageObjects& page, const std::shared_ptr<Dispatchable>& object, const QVariantList& arguments,
                        std::function<void(const QVariantList& reply)> reply) = nullptr;
};

std::span<const PageMethod> pageMethods();

} // namespace quillbrook::bridge
