// Modal interactions answered by a test: each expected interaction is queued with its answer, in
// the order the code under test will ask, and every request is recorded for assertions. An
// interaction out of turn, or one left unasked at the end, fails the test.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/modal_interactions.h"

namespace quillbrook::testing {

class ScriptedInteractions final : public ModalInteractions {
public:
    struct MessageBoxShown {
        WindowId owner;
        QString text;
        QString caption;
        unsigned style;
    };
    struct FileDialogShown {
        WindowId owner;
        FileDialogOptions options;
    };
    struct FolderDialogShown {
        WindowId owner;
        QString title;
        std::string startFolder;
    };
    struct PopupMenuShown {
        WindowId owner;
        std::vector<PopupMenuItem> items;
        int x;
        int y;
    };

    // Installed for the object's lifetime.
    ScriptedInteractions();
    ~ScriptedInteractions() override;

    void expectMessageBox(int answer);
    // nullopt: the user cancels.
    void expectFileDialog(std::optional<std::string> answer);
    void expectFolderDialog(std::optional<std::string> answer);
    // 0: the menu is dismissed.
    void expectPopupMenu(int answer);
    void setForegroundWindow(WindowId window) { foregroundWindow_ = window; }

    const std::vector<MessageBoxShown>& messageBoxes() const { return messageBoxes_; }
    const std::vector<FileDialogShown>& fileDialogs() const { return fileDialogs_; }
    const std::vector<FolderDialogShown>& folderDialogs() const { return folderDialogs_; }
    const std::vector<PopupMenuShown>& popupMenus() const { return popupMenus_; }

    int messageBox(WindowId owner, const QString& text, const QString& caption, unsigned style) override;
    std::optional<std::string> fileDialog(WindowId owner, const FileDialogOptions& options) override;
    std::optional<std::string> folderDialog(WindowId owner, const QString& title,
                                            const std::string& startFolder) override;
    int popupMenu(WindowId owner, const std::vector<PopupMenuItem>& items, int x, int y) override;
    WindowId foregroundWindow() override { return foregroundWindow_; }

private:
    enum class Kind { MessageBox, FileDialog, FolderDialog, PopupMenu };
    struct Expected {
        Kind kind;
        int number = 0;
        std::optional<std::string> path;
    };
    static const char* nameOf(Kind kind);
    // The next expectation when it is of `kind`; otherwise the test fails and nullopt comes back.
    std::optional<Expected> take(Kind kind);

    std::deque<Expected> expected_;
    std::vector<MessageBoxShown> messageBoxes_;
    std::vector<FileDialogShown> fileDialogs_;
    std::vector<FolderDialogShown> folderDialogs_;
    std::vector<PopupMenuShown> popupMenus_;
    WindowId foregroundWindow_ = 0;
    ScopedModalInteractions installed_{*this};
};

} // namespace quillbrook::testing
