#include "bridge/host/page_methods.h"

#include "automation/connection_interfaces.h"
#include "bridge/host/bridge_page.h"
#include "bridge/host/bus_event_sink.h"
#include "interfaces/ihtmldocument2.h"
#include "interfaces/ihtmlelement.h"
#include "interfaces/ihtmlformelement.h"
#include "interfaces/ihtmlinputtextelement.h"
#include "interfaces/ihtmltextareaelement.h"

#include <QDBusArgument>

namespace quillbrook::bridge {

namespace {

using Object = std::shared_ptr<Dispatchable>;

// (i hresult, b isNull, s text); a failure carries no text.
QVariantList textReply(HRESULT hr, const QString& text)
{
    const bool isNull = FAILED(hr) || text.isNull();
    return {hr, isNull, isNull ? QString() : text};
}

// (i hresult, (so) reference); a failure carries the null reference.
QVariantList objectReply(PageObjects& page, HRESULT hr, const Object& object)
{
    return {hr, QVariant::fromValue(page.referenceOf(FAILED(hr) ? nullptr : object))};
}

template <class Interface, HRESULT (Interface::*Get)(QString*)>
QVariantList getText(PageObjects&, const Object& object, const QVariantList&)
{
    QString text;
    const HRESULT hr = (queryInterface<Interface>(object).get()->*Get)(&text);
    return textReply(hr, text);
}

template <class Interface, HRESULT (Interface::*Get)(Object*)>
QVariantList getObject(PageObjects& page, const Object& object, const QVariantList&)
{
    Object result;
    const HRESULT hr = (queryInterface<Interface>(object).get()->*Get)(&result);
    return objectReply(page, hr, result);
}

template <class Interface>
QVariantList putValue(PageObjects&, const Object& object, const QVariantList& arguments)
{
    return {queryInterface<Interface>(object)->put_value(arguments.at(0).toString())};
}

template <class Interface>
void putValueLater(PageObjects&, const Object& object, const QVariantList& arguments,
                   std::function<void(const QVariantList&)> reply)
{
    const auto facet = queryInterface<Interface>(object);
    if (auto* writer = dynamic_cast<ConfirmedValueWriter*>(facet.get())) {
        writer->putValueConfirmed(arguments.at(0).toString(), [reply](HRESULT hr) { reply({hr}); });
        return;
    }
    reply({facet->put_value(arguments.at(0).toString())});
}

QVariantList findConnectionPoint(PageObjects& page, const Object& object, const QVariantList& arguments)
{
    // Text that is no interface id asks for the null id, which no events interface has.
    const Guid iid = Guid::parse(arguments.at(0).toString().toStdString()).value_or(Guid{});
    Object point;
    const HRESULT hr = queryInterface<IConnectionPointContainer>(object)->FindConnectionPoint(iid, &point);
    return objectReply(page, hr, point);
}

QVariantList advise(PageObjects& page, const Object& object, const QVariantList& arguments)
{
    const auto reference = qdbus_cast<bus::ObjectReference>(arguments.at(0));
    const Object sink =
        reference.isNull() ? nullptr : std::make_shared<BusEventSink>(page.connection(), reference, page.deliveries());
    std::int32_t cookie = 0;
    const HRESULT hr = queryInterface<IConnectionPoint>(object)->Advise(sink, &cookie);
    return {hr, static_cast<uint>(cookie)};
}

QVariantList unadvise(PageObjects&, const Object& object, const QVariantList& arguments)
{
    return {queryInterface<IConnectionPoint>(object)->Unadvise(static_cast<std::int32_t>(arguments.at(0).toUInt()))};
}

using Element = IHTMLElement;
using Document = IHTMLDocument2;
using TextArea = IHTMLTextAreaElement;
using TextInput = IHTMLInputTextElement;
using Form = IHTMLFormElement;

const PageMethod kPageMethods[] = {
    {&Element::interfaceInfo, "get_document", "", "i(so)", &getObject<Element, &Element::get_document>},
    {&Document::interfaceInfo, "get_title", "", "ibs", &getText<Document, &Document::get_title>},
    {&Document::interfaceInfo, "get_URL", "", "ibs", &getText<Document, &Document::get_URL>},
    {&Document::interfaceInfo, "get_parentWindow", "", "i(so)", &getObject<Document, &Document::get_parentWindow>},
    {&TextArea::interfaceInfo, "get_value", "", "ibs", &getText<TextArea, &TextArea::get_value>},
    {&TextArea::interfaceInfo, "put_value", "s", "i", &putValue<TextArea>, &putValueLater<TextArea>},
    {&TextArea::interfaceInfo, "get_name", "", "ibs", &getText<TextArea, &TextArea::get_name>},
    {&TextArea::interfaceInfo, "get_form", "", "i(so)", &getObject<TextArea, &TextArea::get_form>},
    {&TextInput::interfaceInfo, "get_value", "", "ibs", &getText<TextInput, &TextInput::get_value>},
    {&TextInput::interfaceInfo, "put_value", "s", "i", &putValue<TextInput>, &putValueLater<TextInput>},
    {&TextInput::interfaceInfo, "get_name", "", "ibs", &getText<TextInput, &TextInput::get_name>},
    {&TextInput::interfaceInfo, "get_form", "", "i(so)", &getObject<TextInput, &TextInput::get_form>},
    {&Form::interfaceInfo, "get_name", "", "ibs", &getText<Form, &Form::get_name>},
    {&IConnectionPointContainer::interfaceInfo, "FindConnectionPoint", "s", "i(so)", &findConnectionPoint},
    {&IConnectionPoint::interfaceInfo, "Advise", "(so)", "iu", &advise},
    {&IConnectionPoint::interfaceInfo, "Unadvise", "u", "i", &unadvise},
};

} // namespace

std::span<const PageMethod> pageMethods()
{
    return kPageMethods;
}

} // namespace quillbrook::bridge
