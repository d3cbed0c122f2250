// The About box (202): the program's name and version and the maker's web address as a link.
#pragma once

class QWidget;

namespace quillbrook {

// Declared with the other dialogs in ui/dialogs.h.
void runAboutBox(QWidget* owner);

} // namespace quillbrook
