#include "ui/about_box.h"

#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_routines.h"
#include "ui/hyperlink.h"

#include <QLabel>

namespace quillbrook {

namespace {
constexpr int kLinkControl = 227;
} // namespace

void runAboutBox(QWidget* owner)
{
    BuiltDialog about(*dialogTemplate(dialog_id::About), messageLanguage(), owner);
    about.onInit([&about] {
        CenterWindow(about.dialog());
        if (auto* link = about.control<QLabel>(kLinkControl))
            MakeHyperlink(*link);
    });
    // OK and Escape end the box; it acts on no other command.
    about.onCommand([](int id, int) { return id != 1 && id != 2; });
    about.exec();
}

} // namespace quillbrook
