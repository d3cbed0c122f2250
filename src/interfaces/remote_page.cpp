#include "interfaces/remote_page.h"

#include "automation/connection_interfaces.h"
#include "automation/remote_object.h"
#include "interfaces/ihtmldocument2.h"
#include "interfaces/ihtmlelement.h"
#include "interfaces/ihtmlformelement.h"
#include "interfaces/ihtmlinputtextelement.h"
#include "interfaces/ihtmltextareaelement.h"

namespace quillbrook {

namespace {

using bus::RemoteObject;

// The HRESULT of a reply. A successful reply whose arguments are not `signature` comes from a peer
// that does not keep to the contract; its values cannot be trusted.
[[nodiscard]] HRESULT resultOf(const QDBusMessage& reply, const char* signature)
{
    const HRESULT hr = RemoteObject::resultOf(reply);
    if (FAILED(hr))
        return hr;
    return reply.signature() == QLatin1String(signature) ? hr : E_UNEXPECTED;
}

// The calls of one page interface on a remote object, decoded by the shapes of the contract:
// strings as (i hresult, b isNull, s text), objects as (i hresult, (so) reference).
class RemoteCalls {
public:
    RemoteCalls(const RemoteObject& object, const InterfaceInfo& info)
        : object_(object), interface_(pageBusInterface(info))
    {}

    QDBusMessage call(const char* method, const QVariantList& arguments = {}) const
    {
        return object_.call(interface_, QString::fromLatin1(method), arguments);
    }

    [[nodiscard]] HRESULT result(const char* method, const QVariantList& arguments) const
    {
        return resultOf(call(method, arguments), "i");
    }

    [[nodiscard]] HRESULT readText(const char* method, QString* p) const
    {
        if (!p)
            return E_POINTER;
        *p = QString();
        const QDBusMessage reply = call(method);
        const HRESULT hr = resultOf(reply, "ibs");
        if (FAILED(hr) || reply.arguments().at(1).toBool())
            return hr;
        // Not null is a string even when empty, and the bus may hand an empty one over as null.
        const QString text = reply.arguments().at(2).toString();
        *p = text.isNull() ? QStringLiteral("") : text;
        return hr;
    }

    [[nodiscard]] HRESULT readObject(const char* method, std::shared_ptr<Dispatchable>* p,
                                     const QVariantList& arguments = {}) const
    {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        const QDBusMessage reply = call(method, arguments);
        const HRESULT hr = resultOf(reply, "i(so)");
        if (FAILED(hr))
            return hr;
        *p = object_.objectFrom(reply.arguments().at(1));
        return hr;
    }

private:
    const RemoteObject& object_;
    QString interface_;
};

// The facet of `Interface` on a remote object; its members call the bus interface of that name.
template <class Interface>
class RemoteFacet : public Facet<Interface, RemoteObject> {
public:
    using Facet<Interface, RemoteObject>::Facet;

protected:
    RemoteCalls remote() const { return RemoteCalls(this->state(), Interface::interfaceInfo()); }
};

class RemoteElement final : public RemoteFacet<IHTMLElement> {
public:
    using RemoteFacet::RemoteFacet;
    [[nodiscard]] HRESULT get_document(std::shared_ptr<Dispatchable>* p) override
    {
        return remote().readObject("get_document", p);
    }
};

class RemoteDocument final : public RemoteFacet<IHTMLDocument2> {
public:
    using RemoteFacet::RemoteFacet;
    [[nodiscard]] HRESULT get_title(QString* p) override { return remote().readText("get_title", p); }
    [[nodiscard]] HRESULT get_URL(QString* p) override { return remote().readText("get_URL", p); }
    [[nodiscard]] HRESULT get_parentWindow(std::shared_ptr<Dispatchable>* p) override
    {
        return remote().readObject("get_parentWindow", p);
    }
};

// IHTMLTextAreaElement and IHTMLInputTextElement have the same members.
template <class Interface>
class RemoteTextBox final : public RemoteFacet<Interface> {
public:
    using RemoteFacet<Interface>::RemoteFacet;
    [[nodiscard]] HRESULT get_value(QString* p) override { return this->remote().readText("get_value", p); }
    [[nodiscard]] HRESULT put_value(const QString& v) override { return this->remote().result("put_value", {v}); }
    [[nodiscard]] HRESULT get_name(QString* p) override { return this->remote().readText("get_name", p); }
    [[nodiscard]] HRESULT get_form(std::shared_ptr<Dispatchable>* p) override
    {
        return this->remote().readObject("get_form", p);
    }
};

class RemoteForm final : public RemoteFacet<IHTMLFormElement> {
public:
    using RemoteFacet::RemoteFacet;
    [[nodiscard]] HRESULT get_name(QString* p) override { return remote().readText("get_name", p); }
};

class RemoteConnectionPointContainer final : public RemoteFacet<IConnectionPointContainer> {
public:
    using RemoteFacet::RemoteFacet;
    [[nodiscard]] HRESULT FindConnectionPoint(const Guid& riid, std::shared_ptr<Dispatchable>* ppCP) override
    {
        return remote().readObject("FindConnectionPoint", ppCP, {QString::fromStdString(riid.toString())});
    }
};

class RemoteConnectionPoint final : public RemoteFacet<IConnectionPoint> {
public:
    using RemoteFacet::RemoteFacet;

    [[nodiscard]] HRESULT Advise(const std::shared_ptr<Dispatchable>& pUnkSink, std::int32_t* pdwCookie) override
    {
        if (!pdwCookie)
            return E_POINTER;
        *pdwCookie = 0;
        if (!pUnkSink)
            return E_POINTER;
        // Exported for the page's process, which calls the sink back.
        const QDBusMessage reply = remote().call("Advise", {state().toArgument(pUnkSink)});
        const HRESULT hr = resultOf(reply, "iu");
        if (SUCCEEDED(hr))
            *pdwCookie = static_cast<std::int32_t>(reply.arguments().at(1).toUInt());
        return hr;
    }

    [[nodiscard]] HRESULT Unadvise(std::int32_t dwCookie) override
    {
        return remote().result("Unadvise", {static_cast<uint>(dwCookie)});
    }
};

template <class RemoteFacetClass>
void registerFacet()
{
    const InterfaceInfo& info = RemoteFacetClass::interfaceInfo();
    bus::registerRemoteInterface(info.iid, pageBusInterface(info),
                                 [](const std::shared_ptr<RemoteObject>& object) -> std::shared_ptr<Dispatchable> {
                                     return std::make_shared<RemoteFacetClass>(object);
                                 });
}

} // namespace

QString pageBusInterface(const InterfaceInfo& info)
{
    return QLatin1String(bus::kDomInterfacePrefix)
           + QString::fromUtf16(info.name.data(), static_cast<qsizetype>(info.name.size()));
}

void registerRemotePageInterfaces()
{
    [[maybe_unused]] static const bool registered = [] {
        registerFacet<RemoteElement>();
        registerFacet<RemoteDocument>();
        registerFacet<RemoteTextBox<IHTMLTextAreaElement>>();
        registerFacet<RemoteTextBox<IHTMLInputTextElement>>();
        registerFacet<RemoteForm>();
        registerFacet<RemoteConnectionPointContainer>();
        registerFacet<RemoteConnectionPoint>();
        return true;
    }();
}

} // namespace quillbrook
