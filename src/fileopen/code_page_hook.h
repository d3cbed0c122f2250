// The encoding list of the Open File dialog: combo box 225 of the extra controls (dialog
// templates 203 and 204) shown below the file dialog's own, and the hook that drives it.
#pragma once

#include "platform/modal_interactions.h"

#include <QString>
#include <cstdint>

class QObject;

namespace quillbrook {

inline constexpr int kOpenFileEncodingTemplate = 204;
// For systems older than the one this program stands in for; carried but never shown.
inline constexpr int kOpenFileEncodingOldTemplate = 203;
inline constexpr int kEncodingListControl = 225;

// The object name by which a control of a dialog template is found: its id in decimal.
QString controlName(int controlId);

// The file dialog hook of the encoding list. `chosenCodePage` is the address of the caller's
// std::int32_t code page. Initialized: the list is emptied and filled from `CodePageChoices`,
// the chosen code page selected. FileOk: the selected item's code page (0 read as 1) is stored at
// that address; nothing is stored when no item is selected or the controls have no list.
void CodePageHook(FileDialogEvent event, QObject& extraControls, std::intptr_t chosenCodePage);

} // namespace quillbrook
