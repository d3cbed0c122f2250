// Test objects for the interfaces: every call through a vtable member is recorded as text
// ("put_CloseAtSaving VT_BOOL 5", "Register (object)"), and property values are kept per name.
#pragma once

#include "automation/member_table.h"
#include "interfaces/interfaces.h"

#include <map>
#include <string>
#include <vector>

namespace quillbrook::testing {

class CallRecorder {
public:
    std::vector<std::string> calls;
    std::shared_ptr<Dispatchable> lastObject;
    std::map<std::string, Variant> values;

protected:
    HRESULT put(const std::string& name, const Variant& value)
    {
        calls.push_back("put_" + name + ' ' + describe(value));
        values[name] = value;
        return S_OK;
    }
    template <class T>
    HRESULT get(const std::string& name, T* value)
    {
        calls.push_back("get_" + name);
        *value = AutomationType<T>::fromVariant(values[name]);
        return S_OK;
    }
    HRESULT call(const std::string& name, const std::string& argument = {})
    {
        calls.push_back(argument.empty() ? name : name + ' ' + argument);
        return S_OK;
    }
    HRESULT call(const std::string& name, const std::shared_ptr<Dispatchable>& object)
    {
        lastObject = object;
        return call(name, object ? "(object)" : "(null)");
    }
};

class RecordingService final : public IService, public CallRecorder {
public:
    HRESULT get_CommandLine(QString* v) override { return get("CommandLine", v); }
    HRESULT put_CommandLine(const QString& v) override { return put("CommandLine", Variant::fromBstr(v)); }
    HRESULT get_Extension(QString* v) override { return get("Extension", v); }
    HRESULT put_Extension(const QString& v) override { return put("Extension", Variant::fromBstr(v)); }
    HRESULT get_DeleteTemporaryFile(VARIANT_BOOL* v) override { return get("DeleteTemporaryFile", v); }
    HRESULT put_DeleteTemporaryFile(VARIANT_BOOL v) override
    {
        return put("DeleteTemporaryFile", Variant::fromBool(v));
    }
    HRESULT get_CloseAtSaving(VARIANT_BOOL* v) override { return get("CloseAtSaving", v); }
    HRESULT put_CloseAtSaving(VARIANT_BOOL v) override { return put("CloseAtSaving", Variant::fromBool(v)); }
    HRESULT get_CarbonCopy(VARIANT_BOOL* v) override { return get("CarbonCopy", v); }
    HRESULT put_CarbonCopy(VARIANT_BOOL v) override { return put("CarbonCopy", Variant::fromBool(v)); }
    HRESULT get_CarbonCopyFile(QString* v) override { return get("CarbonCopyFile", v); }
    HRESULT put_CarbonCopyFile(const QString& v) override { return put("CarbonCopyFile", Variant::fromBstr(v)); }
    HRESULT ShowMenuDialog(std::int32_t window) override { return call("ShowMenuDialog", std::to_string(window)); }
    HRESULT Register(const std::shared_ptr<Dispatchable>& element) override { return call("Register", element); }
    HRESULT get_EditorName(QString* v) override { return get("EditorName", v); }
    HRESULT put_EditorName(const QString& v) override { return put("EditorName", Variant::fromBstr(v)); }
    HRESULT get_EditorProgramFile(QString* v) override { return get("EditorProgramFile", v); }
    HRESULT put_EditorProgramFile(const QString& v) override { return put("EditorProgramFile", Variant::fromBstr(v)); }
    HRESULT OnChangeNotification() override { return call("OnChangeNotification"); }
    HRESULT get_Active(VARIANT_BOOL* v) override { return get("Active", v); }
    HRESULT get_Unicode(VARIANT_BOOL* v) override { return get("Unicode", v); }
    HRESULT put_Unicode(VARIANT_BOOL v) override { return put("Unicode", Variant::fromBool(v)); }
    HRESULT LoadFromMenuExt(const QString& label) override { return call("LoadFromMenuExt", label.toStdString()); }
    HRESULT SaveToMenuExt() override { return call("SaveToMenuExt"); }
    HRESULT get_Label(QString* v) override { return get("Label", v); }
    HRESULT put_Label(const QString& v) override { return put("Label", Variant::fromBstr(v)); }
    HRESULT CopyTo(const std::shared_ptr<Dispatchable>& target) override { return call("CopyTo", target); }
    HRESULT OnUnload() override { return call("OnUnload"); }
    HRESULT OnBeforeUnload() override { return call("OnBeforeUnload"); }
    HRESULT get_TemplateFile(QString* v) override { return get("TemplateFile", v); }
    HRESULT put_TemplateFile(const QString& v) override { return put("TemplateFile", Variant::fromBstr(v)); }
    HRESULT get_AlwaysAskTemplate(VARIANT_BOOL* v) override { return get("AlwaysAskTemplate", v); }
    HRESULT put_AlwaysAskTemplate(VARIANT_BOOL v) override { return put("AlwaysAskTemplate", Variant::fromBool(v)); }
    HRESULT get_UseTemplateFile(VARIANT_BOOL* v) override { return get("UseTemplateFile", v); }
    HRESULT put_UseTemplateFile(VARIANT_BOOL v) override { return put("UseTemplateFile", Variant::fromBool(v)); }
    HRESULT OpenFile(const std::shared_ptr<Dispatchable>& element) override { return call("OpenFile", element); }
    HRESULT get_CodePage(std::int32_t* v) override { return get("CodePage", v); }
    HRESULT put_CodePage(std::int32_t v) override { return put("CodePage", Variant::fromI4(v)); }
};

class RecordingFileOpenService final : public IFileOpenService, public CallRecorder {
public:
    HRESULT get_Registered(VARIANT_BOOL* v) override { return get("Registered", v); }
    HRESULT put_Registered(VARIANT_BOOL v) override { return put("Registered", Variant::fromBool(v)); }
    HRESULT get_Extensions(QString* v) override { return get("Extensions", v); }
    HRESULT put_Extensions(const QString& v) override { return put("Extensions", Variant::fromBstr(v)); }
    HRESULT get_OpeningFile(QString* v) override { return get("OpeningFile", v); }
    HRESULT put_OpeningFile(const QString& v) override { return put("OpeningFile", Variant::fromBstr(v)); }
    HRESULT OpenFile(const std::shared_ptr<Dispatchable>& element) override { return call("OpenFile", element); }
};

} // namespace quillbrook::testing
