#include "resources/dialog_templates.h"

#include "resources/dialog_templates_data.h"

#include <algorithm>

namespace quillbrook {
namespace {

// a * numerator / denominator rounded half up, for non-negative values.
int scaleRounded(int a, int numerator, int denominator)
{
    return (2 * a * numerator + denominator) / (2 * denominator);
}

} // namespace

const ControlTemplate* DialogTemplate::control(int controlId) const
{
    if (controlId == kNoControlId)
        return nullptr;
    const auto found = std::ranges::find(controls, controlId, &ControlTemplate::id);
    return found == controls.end() ? nullptr : &*found;
}

DialogRect DialogTemplate::rect(const ControlTemplate& control, ResourceLanguage language) const
{
    const DialogRect english = control.rect;
    if (language == ResourceLanguage::English || japaneseHeight == englishHeight)
        return english;
    const int top = scaleRounded(english.y, japaneseHeight, englishHeight);
    const int bottom = scaleRounded(english.y + english.height, japaneseHeight, englishHeight);
    return {english.x, top, english.width, bottom - top};
}

DialogFont dialogFont(ResourceLanguage language)
{
    if (language == ResourceLanguage::Japanese)
        return {u"ＭＳ Ｐゴシック", 9};
    return {u"Tahoma", 8};
}

std::span<const DialogTemplate> dialogTemplates()
{
    return resources::kDialogTemplates;
}

const DialogTemplate* dialogTemplate(unsigned id)
{
    const auto& all = resources::kDialogTemplates;
    const auto found = std::ranges::find(all, id, &DialogTemplate::id);
    return found == all.end() ? nullptr : &*found;
}

} // namespace quillbrook
