// The calls an exported object answers from its type information: its typed interface's methods,
// its properties through org.freedesktop.DBus.Properties, Dispatch's GetIDsOfNames and Invoke, and
// Unknown's QueryInterface. Holding and releasing the object is the exporter's business.
#pragma once

#include "automation/bus_contract.h"

#include <QDBusMessage>
#include <memory>
#include <optional>

namespace quillbrook::bus {

// The reply to `call` on `object`, an object the exporter serves; objects in arguments and results
// go through `marshaller`, results to the caller. nullopt for calls that are not these (Release,
// Introspect, Peer), which the caller answers.
std::optional<QDBusMessage> answerObjectCall(const QDBusMessage& call, const std::shared_ptr<Dispatchable>& object,
                                             ObjectMarshaller& marshaller);

} // namespace quillbrook::bus
