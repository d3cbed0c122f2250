// Automation values on the bus. A typed interface passes each value with the D-Bus type of its
// declared type-library type; Invoke passes any value in a D-Bus variant. Objects travel as
// `(so)` references, made and resolved by an ObjectMarshaller.
#pragma once

#include "automation/bus_contract.h"
#include "automation/variant.h"

#include <QDBusVariant>
#include <QString>
#include <QVariant>
#include <optional>

namespace quillbrook::bus {

// The signature of a value of `type` in a typed interface: BSTR "s", VARIANT_BOOL "n", long "i",
// double "d", an object "(so)", VARIANT "v".
QString busSignature(VarType type);

// "0x80070057": an HRESULT as a D-Bus error message carries it.
QString hresultText(HRESULT hr);
std::optional<HRESULT> parseHresultText(const QString& text);

// A value of declared type `type` for the bus: converted as dispatch converts an argument; a value
// that does not convert (the empty result of a failed call) becomes the type's zero. An object is
// handed to `peer`.
QVariant toBusValue(const Variant& value, VarType type, ObjectMarshaller& marshaller, const QString& peer);
// A received value whose signature is busSignature(type).
Variant fromBusValue(const QVariant& value, VarType type, ObjectMarshaller& marshaller);

// Any value as the content of a D-Bus variant, as Invoke passes arguments and results: BSTR "s",
// VARIANT_BOOL and short "n", long "i", double "d", an object "(so)". D-Bus has no empty or null
// value: both travel as an empty "av".
QDBusVariant toBusVariant(const Variant& value, ObjectMarshaller& marshaller, const QString& peer);
// The content of a received D-Bus variant. Besides the types above, "b" is a VARIANT_BOOL and the
// other integer types are a long (a double when out of its range). DISP_E_TYPEMISMATCH for a
// value that has no automation counterpart.
[[nodiscard]] HRESULT fromBusVariant(const QVariant& content, ObjectMarshaller& marshaller, Variant& value);

// A received `(so)`; nullopt when `argument` is something else.
std::optional<ObjectReference> referenceFrom(const QVariant& argument);

} // namespace quillbrook::bus
