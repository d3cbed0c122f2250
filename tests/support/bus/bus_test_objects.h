// Objects for the bus tests, defined here so that the automation room's tests need no later room:
// ITestService, a CService-like interface with read-write, read-only and refusing properties, an
// object parameter and result, a VARIANT parameter and the window's unload DISPID; ITestElement,
// a second interface a remote object may or may not answer, with the facet that reaches it on
// another process.
#pragma once

#include "automation/member_table.h"
#include "automation/remote_object.h"

#include <QDBusVariant>
#include <string>
#include <vector>

namespace quillbrook::testing {

inline constexpr Guid IID_ITestService = *Guid::parse("{6C0E1B52-8F3A-4D7E-9B21-5A4C3D2E1F01}");
inline constexpr Guid CLSID_TestService = *Guid::parse("{6C0E1B52-8F3A-4D7E-9B21-5A4C3D2E1F02}");
inline constexpr Guid IID_ITestElement = *Guid::parse("{6C0E1B52-8F3A-4D7E-9B21-5A4C3D2E1F03}");

class ITestService : public Dispatchable {
public:
    virtual HRESULT get_Label(QString* value) = 0;
    virtual HRESULT put_Label(const QString& value) = 0;
    virtual HRESULT get_Active(VARIANT_BOOL* value) = 0;
    virtual HRESULT get_CodePage(std::int32_t* value) = 0;
    virtual HRESULT put_CodePage(std::int32_t value) = 0;
    virtual HRESULT ShowMenuDialog(std::int32_t WindowHandle) = 0;
    virtual HRESULT CopyTo(const std::shared_ptr<Dispatchable>& pUnkService) = 0;
    virtual HRESULT get_Partner(std::shared_ptr<Dispatchable>* value) = 0;
    virtual HRESULT Echo(const Variant& value, Variant* echoed) = 0;
    virtual HRESULT OnBeforeUnload() = 0;

    const InterfaceInfo& typeInfo() const override { return interfaceInfo(); }
    static const InterfaceInfo& interfaceInfo()
    {
        using S = ITestService;
        static constexpr auto kMembers = memberTable(
            property<&S::get_Label, &S::put_Label>(u"Label", 16, u"メニューラベル"),
            propertyGet<&S::get_Active>(u"Active", 12, u"アクティブか"),
            property<&S::get_CodePage, &S::put_CodePage>(u"CodePage", 22, u"コードページ"),
            method<&S::ShowMenuDialog>(u"ShowMenuDialog", 7, {{u"WindowHandle"}}, u"メニューダイアログの表示"),
            method<&S::CopyTo>(u"CopyTo", 17, {{u"pUnkService", VT_UNKNOWN}}, u"メソッドCopyTo"),
            propertyGet<&S::get_Partner>(u"Partner", 30, u"the other service"),
            method<&S::Echo>(u"Echo", 31, {{u"Value"}}, u"gives its argument back"),
            method<&S::OnBeforeUnload>(u"OnBeforeUnload", 1017, {}, u"OnBeforeUnloadイベントハンドラ"));
        static constexpr InterfaceInfo kInfo{u"ITestService", IID_ITestService, u"ITestService <&> help", true,
                                             kMembers};
        return kInfo;
    }
};

inline const ClassInfo& testServiceClassInfo()
{
    static const ClassInfo kInfo{u"CTestService",
                                 CLSID_TestService,
                                 u"Test Service Class",
                                 u"Quillbrook.TestService",
                                 u"Quillbrook.TestService.1",
                                 u"CTestService Object",
                                 &ITestService::interfaceInfo(),
                                 nullptr};
    return kInfo;
}

// Records every call as text; CodePage refuses negative values with E_INVALIDARG.
class TestService final : public ITestService {
public:
    std::vector<std::string> calls;
    QString label;
    std::int32_t codePage = 0;
    std::shared_ptr<Dispatchable> partner;
    std::shared_ptr<Dispatchable> copiedTo;

    HRESULT get_Label(QString* value) override
    {
        *value = label;
        return S_OK;
    }
    HRESULT put_Label(const QString& value) override
    {
        calls.push_back("put_Label " + value.toStdString());
        label = value;
        return S_OK;
    }
    HRESULT get_Active(VARIANT_BOOL* value) override
    {
        *value = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT get_CodePage(std::int32_t* value) override
    {
        *value = codePage;
        return S_OK;
    }
    HRESULT put_CodePage(std::int32_t value) override
    {
        if (value < 0)
            return E_INVALIDARG;
        codePage = value;
        return S_OK;
    }
    HRESULT ShowMenuDialog(std::int32_t window) override
    {
        calls.push_back("ShowMenuDialog " + std::to_string(window));
        return S_OK;
    }
    HRESULT CopyTo(const std::shared_ptr<Dispatchable>& target) override
    {
        calls.push_back("CopyTo");
        copiedTo = target;
        return target ? S_OK : E_POINTER;
    }
    HRESULT get_Partner(std::shared_ptr<Dispatchable>* value) override
    {
        *value = partner;
        return S_OK;
    }
    HRESULT Echo(const Variant& value, Variant* echoed) override
    {
        calls.push_back("Echo " + describe(value));
        *echoed = value;
        return S_OK;
    }
    HRESULT OnBeforeUnload() override
    {
        calls.push_back("OnBeforeUnload");
        return S_OK;
    }
};

class ITestElement : public Dispatchable {
public:
    virtual HRESULT get_Value(QString* value) = 0;
    virtual HRESULT put_Value(const QString& value) = 0;

    const InterfaceInfo& typeInfo() const override { return interfaceInfo(); }
    static const InterfaceInfo& interfaceInfo()
    {
        using E = ITestElement;
        static constexpr auto kMembers = memberTable(property<&E::get_Value, &E::put_Value>(u"Value", 0, u"the text"));
        static constexpr InterfaceInfo kInfo{u"ITestElement", IID_ITestElement, u"", true, kMembers};
        return kInfo;
    }
};

// Refuses the value "refused" with E_INVALIDARG.
class TestElement final : public ITestElement {
public:
    QString value;

    HRESULT get_Value(QString* result) override
    {
        *result = value;
        return S_OK;
    }
    HRESULT put_Value(const QString& text) override
    {
        if (text == u"refused")
            return E_INVALIDARG;
        value = text;
        return S_OK;
    }
};

// ITestElement of an object in another process, through the D-Bus properties of its typed interface.
class RemoteTestElement final : public Facet<ITestElement, bus::RemoteObject> {
public:
    using Facet::Facet;

    static QString busInterface() { return QStringLiteral("org.fernhollow.Quillbrook.ITestElement"); }

    HRESULT get_Value(QString* result) override
    {
        const QDBusMessage reply = state().call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                                QStringLiteral("Get"), {busInterface(), QStringLiteral("Value")});
        const HRESULT hr = bus::RemoteObject::resultOf(reply);
        if (SUCCEEDED(hr))
            *result = reply.arguments().front().value<QDBusVariant>().variant().toString();
        return hr;
    }
    HRESULT put_Value(const QString& text) override
    {
        return bus::RemoteObject::resultOf(
            state().call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                         {busInterface(), QStringLiteral("Value"), QVariant::fromValue(QDBusVariant(text))}));
    }
};

// ITestElement's remote facet, and ITestService's (never made: the test objects never answer it remotely).
inline void registerTestRemoteInterfaces()
{
    bus::registerRemoteInterface(
        IID_ITestElement, RemoteTestElement::busInterface(),
        [](const std::shared_ptr<bus::RemoteObject>& object) { return std::make_shared<RemoteTestElement>(object); });
    bus::registerRemoteInterface(IID_ITestService, QStringLiteral("org.fernhollow.Quillbrook.ITestService"),
                                 [](const std::shared_ptr<bus::RemoteObject>&) { return nullptr; });
}

} // namespace quillbrook::testing
