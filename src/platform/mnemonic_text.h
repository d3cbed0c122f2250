// Texts of menus and controls mark their mnemonic as the original platform did: "&x" shows x
// (underlined), "&&" shows one '&'. Where a text is shown without that convention (a browser's
// menu title, a width measured for layout) it is shown with the marks taken out.
#pragma once

#include <QString>

namespace quillbrook {

// The text as shown: a single '&' removed, "&&" as one '&'.
QString withoutMnemonicMarks(const QString& text);

} // namespace quillbrook
