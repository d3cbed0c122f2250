#include "support/scripted_interactions.h"

#include <gtest/gtest.h>

namespace quillbrook::testing {
const char* ScriptedInteractions::nameOf(Kind kind)
{
    switch (kind) {
    case Kind::MessageBox: return "message box";
    case Kind::FileDialog: return "file dialog";
    case Kind::FolderDialog: return "folder dialog";
    case Kind::PopupMenu: return "pop-up menu";
    }
    return "interaction";
}

ScriptedInteractions::ScriptedInteractions() = default;

ScriptedInteractions::~ScriptedInteractions()
{
    for (const Expected& left : expected_)
        ADD_FAILURE() << "expected a " << nameOf(left.kind) << " that was never shown";
}

void ScriptedInteractions::expectMessageBox(int answer)
{
    expected_.push_back({Kind::MessageBox, answer, std::nullopt});
}

void ScriptedInteractions::expectFileDialog(std::optional<std::string> answer)
{
    expected_.push_back({Kind::FileDialog, 0, std::move(answer)});
}

void ScriptedInteractions::expectFolderDialog(std::optional<std::string> answer)
{
    expected_.push_back({Kind::FolderDialog, 0, std::move(answer)});
}

void ScriptedInteractions::expectPopupMenu(int answer)
{
    expected_.push_back({Kind::PopupMenu, answer, std::nullopt});
}

std::optional<ScriptedInteractions::Expected> ScriptedInteractions::take(Kind kind)
{
    if (expected_.empty()) {
        ADD_FAILURE() << "unexpected " << nameOf(kind) << "; it is cancelled";
        return std::nullopt;
    }
    if (expected_.front().kind != kind) {
        ADD_FAILURE() << "a " << nameOf(kind) << " was shown where a " << nameOf(expected_.front().kind)
                      << " was expected; it is cancelled";
        return std::nullopt;
    }
    Expected next = std::move(expected_.front());
    expected_.pop_front();
    return next;
}

int ScriptedInteractions::messageBox(WindowId owner, const QString& text, const QString& caption, unsigned style)
{
    messageBoxes_.push_back({owner, text, caption, style});
    SCOPED_TRACE(text.toStdString());
    const auto answer = take(Kind::MessageBox);
    return answer ? answer->number : IDCANCEL;
}

std::optional<std::string> ScriptedInteractions::fileDialog(WindowId owner, const FileDialogOptions& options)
{
    fileDialogs_.push_back({owner, options});
    const auto answer = take(Kind::FileDialog);
    return answer ? answer->path : std::nullopt;
}

std::optional<std::string> ScriptedInteractions::folderDialog(WindowId owner, const QString& title,
                                                              const std::string& startFolder)
{
    folderDialogs_.push_back({owner, title, startFolder});
    const auto answer = take(Kind::FolderDialog);
    return answer ? answer->path : std::nullopt;
}

int ScriptedInteractions::popupMenu(WindowId owner, const std::vector<PopupMenuItem>& items, int x, int y)
{
    popupMenus_.push_back({owner, items, x, y});
    const auto answer = take(Kind::PopupMenu);
    return answer ? answer->number : 0;
}

} // namespace quillbrook::testing
