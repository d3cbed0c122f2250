// The request record of the system's open/save file dialog, and BrowseForFile that runs the dialog
// it describes through the installed modal interactions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/modal_interactions.h"
#include "platform/win32_error.h"

namespace quillbrook {

// Strings are narrow (process charset). Longer texts than the dialog takes are cut at a whole
// character: Title after 255 bytes, Filter after 260, DefaultExtension after 260, Path after 259.
struct FileDialogRequest {
    std::string Title;
    // Description and pattern pairs, each part followed by '|', the list ended by "||":
    // "Template Files (*.txt)|*.txt|All Files|*.*||". An empty part ends the list too.
    std::string Filter;
    std::string DefaultExtension;
    bool Save = false;
    // The owner dialog's edit field that receives the chosen path; 0 for none.
    int TargetControl = 0;
    // In: the file proposed at the start. Out: the chosen file.
    std::string Path;
    // Extra controls from a dialog template, used only together with a Hook. OldTemplateId is
    // the template for systems older than the one this program stands in for, so it is never used.
    int TemplateId = 0;
    int OldTemplateId = 0;
    FileDialogHook Hook;
    // Handed to the Hook. Pointer-sized, since on the original's 32-bit builds it carried an address.
    std::intptr_t CustomData = 0;
};

// Puts `path` into the owner dialog's control `controlId` (when the dialog has it) and selects
// the control's whole text. The dialogs supply it; the platform room knows no controls.
using TargetControlWriter = std::function<void(int controlId, const std::string& path)>;

// S_OK when a file was chosen: Path holds it and, when TargetControl is set, `writeTargetControl`
// received it. S_FALSE when the user cancelled: Path and the target control stay as they were.
[[nodiscard]] HRESULT BrowseForFile(WindowId owner, FileDialogRequest& request,
                                    const TargetControlWriter& writeTargetControl = {});

} // namespace quillbrook
