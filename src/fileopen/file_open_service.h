// CFileOpenService: the "Open File" context-menu command. It fills the right-clicked text box
// with a text file picked in an open-file dialog, in an encoding the dialog may offer, and adds
// or removes the command's entry among the browser's context-menu entries.
#pragma once

#include "automation/module_lock.h"
#include "interfaces/ifileopenservice.h"
#include "store/registry_store.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

namespace quillbrook {

// The script that the command's menu entry points at; it lies in the program's folder.
inline constexpr const char* kOpenFileScriptName = "OpenFile.htm";

class CFileOpenService : public IFileOpenService {
public:
    // `Extensions` and `OpeningFile` come from the process-wide global settings.
    CFileOpenService();
    ~CFileOpenService() override;

    [[nodiscard]] HRESULT get_Registered(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT put_Registered(VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT get_Extensions(QString* value) override;
    [[nodiscard]] HRESULT put_Extensions(const QString& value) override;
    [[nodiscard]] HRESULT get_OpeningFile(QString* value) override;
    [[nodiscard]] HRESULT put_OpeningFile(const QString& value) override;
    [[nodiscard]] HRESULT OpenFile(const std::shared_ptr<Dispatchable>& TextAreaElement) override;

    // The path that the menu entry's default value holds: "OpenFile.htm" in the program's folder.
    static std::string scriptPath();

private:
    // S_OK with `path` and `codePage` (the encoding to read the file in) when the user picked a
    // file, S_FALSE when the dialog was cancelled.
    [[nodiscard]] HRESULT chooseFile(std::string& path, std::int32_t& codePage);
    // The text of the file at `path` in `codePage`, or the failure of opening or reading it.
    [[nodiscard]] static HRESULT readText(const std::string& path, std::int32_t codePage, QString& text);

    ModuleLock moduleLock_;
    // The browser's per-user context-menu key; the command's entry is its sub-key.
    CRegistryStore menuExtKey_;
    QString extensions_;
    QString openingFile_;
};

} // namespace quillbrook
