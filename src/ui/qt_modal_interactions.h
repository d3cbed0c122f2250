// Message boxes, file and folder dialogs and pop-up menus shown with Qt Widgets. A program
// installs it with ScopedModalInteractions once its QApplication exists; every call comes from
// the application's thread. Without a QApplication it shows nothing and answers "cancelled".
#pragma once

#include "platform/modal_interactions.h"

namespace quillbrook {

class QtModalInteractions final : public ModalInteractions {
public:
    // Buttons, icon, caption and text from `style`, as the original's message box shows them.
    int messageBox(WindowId owner, const QString& text, const QString& caption, unsigned style) override;
    // Qt's own dialog on every platform, so that it behaves the same everywhere. A name that does
    // not exist is accepted in both modes, and an existing file is replaced without asking.
    std::optional<std::string> fileDialog(WindowId owner, const FileDialogOptions& options) override;
    // Opens inside `startFolder`; accepting at once chooses it.
    std::optional<std::string> folderDialog(WindowId owner, const QString& title,
                                            const std::string& startFolder) override;
    int popupMenu(WindowId owner, const std::vector<PopupMenuItem>& items, int x, int y) override;
    // _NET_ACTIVE_WINDOW of the display.
    WindowId foregroundWindow() override;
};

} // namespace quillbrook
