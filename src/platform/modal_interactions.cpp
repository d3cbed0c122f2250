#include "platform/modal_interactions.h"

#include <atomic>

namespace quillbrook {
namespace {

// Shows nothing: every question counts as cancelled.
class NoModalInteractions final : public ModalInteractions {
public:
    int messageBox(WindowId, const QString&, const QString&, unsigned) override { return IDCANCEL; }
    std::optional<std::string> fileDialog(WindowId, const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> folderDialog(WindowId, const QString&, const std::string&) override
    {
        return std::nullopt;
    }
    int popupMenu(WindowId, const std::vector<PopupMenuItem>&, int, int) override { return 0; }
    WindowId foregroundWindow() override { return 0; }
};

NoModalInteractions fallback;

// The one plug-in point of the process: the implementation that main or a test installed.
std::atomic<ModalInteractions*> installed{&fallback};

} // namespace

ModalInteractions& modalInteractions()
{
    return *installed.load();
}

ScopedModalInteractions::ScopedModalInteractions(ModalInteractions& implementation)
    : previous_(installed.exchange(&implementation))
{}

ScopedModalInteractions::~ScopedModalInteractions()
{
    installed.store(previous_);
}

} // namespace quillbrook
