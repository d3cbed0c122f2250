// Renders every dialog template, in English and in Japanese, to PNG files so that a person can
// check that the texts are whole and not clipped. The dialogs are shown as the builder makes them
// from their templates (lists empty, except the encoding lists, which get their choices so that
// their longest text shows, and the menu items list, which gets its column headers as the dialog
// sets them), each under a caption bar drawn like a window's title with the window's icon.
//
//   quillbrook-render-dialogs OUTPUT_FOLDER
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "ui/dialog_builder.h"
#include "ui/menu_items_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <cstdio>

using namespace quillbrook;

namespace {

struct Rendered {
    unsigned id;
    const char* name;
};

constexpr Rendered kDialogs[] = {
    {dialog_id::MenuItems, "menu-items"},         {dialog_id::Options, "options"},
    {dialog_id::MenuItem, "menu-item"},           {dialog_id::About, "about"},
    {dialog_id::CharsetNarrow, "charset-narrow"}, {dialog_id::CharsetWide, "charset-wide"},
};

struct Language {
    ResourceLanguage language;
    const char* suffix;
};

constexpr Language kLanguages[] = {
    {ResourceLanguage::English, "en"},
    {ResourceLanguage::Japanese, "ja"},
};

// The encoding choices' texts (strings 149 to 151), as the encoding lists show them.
constexpr unsigned kEncodingTexts[] = {149, 150, 151};

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void fillEncodingLists(const BuiltDialog& built, const DialogTemplate& dialogTemplate, ResourceLanguage language)
{
    for (const ControlTemplate& control : dialogTemplate.controls) {
        if (control.kind != ControlKind::DropDownList)
            continue;
        if (auto* combo = built.control<QComboBox>(control.id)) {
            for (unsigned id : kEncodingTexts)
                combo->addItem(toQString(resourceText(id, language)));
            combo->setCurrentIndex(0);
        }
    }
}

// The menu items list's headers (strings 103 to 105) at the widths the dialog gives its columns.
void labelListColumns(const BuiltDialog& built, ResourceLanguage language)
{
    for (auto* list : built.dialog().findChildren<QTreeWidget*>()) {
        list->setHeaderLabels({toQString(resourceText(103, language)), toQString(resourceText(104, language)),
                               toQString(resourceText(105, language))});
        const MenuListColumns widths = menuListColumnWidths(list->contentsRect().width());
        list->setColumnWidth(0, widths.label);
        list->setColumnWidth(1, widths.editor);
        list->setColumnWidth(2, widths.extension);
    }
}

// The dialog's picture, under a caption bar for a top-level dialog.
QImage picture(const BuiltDialog& built, const DialogTemplate& dialogTemplate, ResourceLanguage language)
{
    QDialog& dialog = built.dialog();
    const QPixmap client = dialog.grab();
    if (dialogTemplate.frame != DialogFrame::Popup)
        return client.toImage();

    QFont captionFont = dialog.font();
    captionFont.setBold(true);
    const int captionHeight = QFontMetrics(captionFont).height() + 8;
    const int border = 1;
    QImage image(client.width() + 2 * border, client.height() + captionHeight + border, QImage::Format_ARGB32);
    image.fill(QColor(0x40, 0x58, 0x90));
    QPainter painter(&image);
    const int iconSize = 16;
    const int iconTop = (captionHeight - iconSize) / 2;
    painter.drawPixmap(6, iconTop, dialog.windowIcon().pixmap(iconSize, iconSize));
    painter.setFont(captionFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect(6 + iconSize + 6, 0, image.width() - 18 - iconSize, captionHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, toQString(dialogTemplate.caption(language)));
    painter.drawPixmap(border, captionHeight, client);
    painter.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    int failures = 0;
    for (const Rendered& rendered : kDialogs) {
        const DialogTemplate* found = dialogTemplate(rendered.id);
        if (found == nullptr) {
            std::fprintf(stderr, "no dialog template %u\n", rendered.id);
            ++failures;
            continue;
        }
        for (const Language& language : kLanguages) {
            BuiltDialog built(*found, language.language);
            fillEncodingLists(built, *found, language.language);
            labelListColumns(built, language.language);
            built.dialog().show();
            QApplication::processEvents();
            const QString path = QDir(folder).filePath(
                QStringLiteral("%1.%2.png").arg(QLatin1String(rendered.name), QLatin1String(language.suffix)));
            const QImage image = picture(built, *found, language.language);
            built.dialog().hide();
            if (image.isNull() || !image.save(path, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                ++failures;
                continue;
            }
            std::printf("%s\n", qPrintable(path));
        }
    }
    return failures == 0 ? 0 : 1;
}
