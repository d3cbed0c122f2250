// The dialog templates of the configuration dialogs as plain data: controls with ids, kinds,
// styles, texts in English and Japanese and rectangles in dialog units. The ui room turns them
// into widgets; nothing here knows about widgets.
#pragma once

#include "resources/string_table.h"

#include <span>
#include <string_view>

namespace quillbrook {

// The id of a static that has none of its own (the original platform's -1).
inline constexpr int kNoControlId = -1;

namespace dialog_id {
inline constexpr unsigned MenuItems = 102;
inline constexpr unsigned Options = 103;
inline constexpr unsigned MenuItem = 104;
inline constexpr unsigned About = 202;
inline constexpr unsigned CharsetNarrow = 203; // child template of the older file dialog
inline constexpr unsigned CharsetWide = 204;   // child template of the current file dialog
} // namespace dialog_id

enum class ControlKind {
    Static,
    Edit,
    Button,
    DefaultButton,
    AutoCheckBox,
    GroupBox,
    DropDownList,    // combo box whose list cannot be typed into
    ReportListView,  // rows and columns, several rows selectable at once
    IconStatic,      // shows the program icon
    HyperlinkStatic, // a static that is made to look and act like a web link
};

// The styles that change what the user sees or can do.
namespace control_style {
inline constexpr unsigned None = 0;
inline constexpr unsigned TabStop = 1u << 0;
inline constexpr unsigned HorizontalScroll = 1u << 1; // edit scrolls instead of stopping at its edge
inline constexpr unsigned VerticalScroll = 1u << 2;
inline constexpr unsigned Centered = 1u << 3;
inline constexpr unsigned VerticallyCentered = 1u << 4;
inline constexpr unsigned Border = 1u << 5;
} // namespace control_style

// x, y, width, height in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

struct DialogFont {
    std::u16string_view family;
    int pointSize = 0;
};

struct ControlTemplate {
    int id = kNoControlId;
    ControlKind kind = ControlKind::Static;
    unsigned style = control_style::None;
    std::u16string_view english;
    std::u16string_view japanese;
    DialogRect rect; // of the English template

    std::u16string_view text(ResourceLanguage language) const
    {
        return language == ResourceLanguage::Japanese ? japanese : english;
    }
    bool has(unsigned flag) const { return (style & flag) != 0; }
};

// A top-level dialog has a caption and a frame; a child template is embedded in another dialog.
enum class DialogFrame { Popup, Child };

struct DialogTemplate {
    unsigned id = 0;
    DialogFrame frame = DialogFrame::Popup;
    std::u16string_view englishCaption;
    std::u16string_view japaneseCaption;
    int width = 0; // the same in both languages
    int englishHeight = 0;
    int japaneseHeight = 0;                    // the Japanese templates are a few units taller
    std::span<const ControlTemplate> controls; // in tab order

    std::u16string_view caption(ResourceLanguage language) const
    {
        return language == ResourceLanguage::Japanese ? japaneseCaption : englishCaption;
    }
    int height(ResourceLanguage language) const
    {
        return language == ResourceLanguage::Japanese ? japaneseHeight : englishHeight;
    }
    // The control of `id`, or nullptr (also for kNoControlId).
    const ControlTemplate* control(int controlId) const;
    // The control's rectangle in `language`. The Japanese templates move their controls down by
    // stretching every vertical coordinate by the ratio of the two heights (top and bottom edge
    // each rounded), so gaps and margins keep their proportions; horizontal coordinates stay.
    DialogRect rect(const ControlTemplate& control, ResourceLanguage language) const;
};

// Tahoma 8 pt for English, "ＭＳ Ｐゴシック" 9 pt for Japanese.
DialogFont dialogFont(ResourceLanguage language);

// Every template, in id order.
std::span<const DialogTemplate> dialogTemplates();

// The template of `id`, or nullptr.
const DialogTemplate* dialogTemplate(unsigned id);

} // namespace quillbrook
