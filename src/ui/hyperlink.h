// A static label that looks and acts like a web link.
#pragma once

#include <QColor>
#include <QString>
#include <functional>

class QLabel;

namespace quillbrook {

inline const QColor kHyperlinkColour{0, 0, 192};

// Called with the label's text when the link is clicked.
using OpenAddress = std::function<void(const QString& address)>;

// Draws the label's text in the link colour, underlines it while the mouse is over it and shows
// the hand cursor there; a click opens the text as a web address with `openAddress` (by default
// the desktop's opener). The label's own font, colours and cursor come back when the link is
// removed. Returns 1, as the original did.
int MakeHyperlink(QLabel& label, OpenAddress openAddress = {});

// Turns the label back into plain text; false when it was no link.
bool RemoveHyperlink(QLabel& label);

} // namespace quillbrook
