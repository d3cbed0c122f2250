#include "platform/file_dialog_request.h"

#include <cwchar>
#include <string_view>
#include <vector>

#include "platform/charset.h"

namespace quillbrook {
namespace {

// The buffers of the original's dialog call, less their terminating NUL where it counts.
constexpr std::size_t titleLimit = 255;
constexpr std::size_t filterLimit = 260;
constexpr std::size_t extensionLimit = 260;
constexpr std::size_t pathLimit = 259;

// The longest prefix of at most `limit` bytes that ends between two characters of the process
// charset. A byte that starts no valid character counts as one character.
std::string_view cutToWholeCharacters(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::mbstate_t state{};
    std::size_t end = 0;
    while (end < limit) {
        std::size_t length = std::mbrlen(text.data() + end, text.size() - end, &state);
        if (length == 0 || length > text.size() - end) {
            length = 1;
            state = std::mbstate_t{};
        }
        if (end + length > limit)
            break;
        end += length;
    }
    return text.substr(0, end);
}

// The description and pattern pairs up to the first empty part. When the limit cut the filter, its
// last part may be incomplete and is not used; a description without a pattern is dropped too.
std::vector<FileDialogFilter> filterPairs(std::string_view filter)
{
    const std::string_view text = cutToWholeCharacters(filter, filterLimit);
    const bool cut = text.size() < filter.size();

    std::vector<std::string_view> parts;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t bar = text.find('|', at);
        if (bar == std::string_view::npos) {
            if (!cut)
                parts.push_back(text.substr(at));
            break;
        }
        if (bar == at)
            break;
        parts.push_back(text.substr(at, bar - at));
        at = bar + 1;
    }

    std::vector<FileDialogFilter> pairs;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        pairs.push_back({toWide(parts[i]), std::string(parts[i + 1])});
    return pairs;
}

FileDialogOptions fileDialogSpec(const FileDialogRequest& request)
{
    FileDialogOptions options;
    options.title = toWide(cutToWholeCharacters(request.Title, titleLimit));
    options.filters = filterPairs(request.Filter);
    options.defaultExtension = cutToWholeCharacters(request.DefaultExtension, extensionLimit);
    options.save = request.Save;
    options.path = cutToWholeCharacters(request.Path, pathLimit);
    // This program stands in for the newer systems, which take TemplateId.
    if (request.TemplateId != 0 && request.Hook)
        options.extraControls = FileDialogExtraControls{request.TemplateId, request.Hook, request.CustomData};
    return options;
}

} // namespace

[[nodiscard]] HRESULT BrowseForFile(WindowId owner, FileDialogRequest& request,
                                    const TargetControlWriter& writeTargetControl)
{
    std::optional<std::string> chosen = modalInteractions().fileDialog(owner, fileDialogSpec(request));
    if (!chosen)
        return S_FALSE;
    if (request.TargetControl != 0 && writeTargetControl)
        writeTargetControl(request.TargetControl, *chosen);
    request.Path = std::move(*chosen);
    return S_OK;
}

} // namespace quillbrook
