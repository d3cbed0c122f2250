// Small routines every dialog shares: centring, choosing a folder, enabling groups of controls
// and selecting an edit field's text.
#pragma once

#include "platform/file_dialog_request.h"
#include "platform/modal_interactions.h"

#include <initializer_list>

class QWidget;

namespace quillbrook {

class BuiltDialog;

// Centres `window` over its owner (or the screen without one) and activates it. The new left edge
// is the owner's left plus (owner width - window width) / 2, truncated toward zero, a negative
// result becoming 0; the top edge likewise.
void CenterWindow(QWidget& window);

// Lets the user pick a folder, starting at the edit field's current text (up to 259 characters),
// the title loaded from `titleId`; a choice is written into the field with the caret at its end,
// a cancel changes nothing. `newStyle` is kept for the original's flag; both styles look alike.
void BrowseForFolder(BuiltDialog& dialog, unsigned titleId, int editId, bool newStyle);

// Enables or disables each listed control that exists in the dialog.
void EnableControls(BuiltDialog& dialog, std::initializer_list<int> controlIds, bool enable);

// Selects the whole text of an edit field and gives it the keyboard focus.
void SelectAllAndFocus(BuiltDialog& dialog, int editId);

// BrowseForFile with a dialog's TargetControl honoured: the chosen path goes into that edit field,
// selected and focused.
[[nodiscard]] HRESULT BrowseForFile(BuiltDialog& owner, FileDialogRequest& request);

} // namespace quillbrook
