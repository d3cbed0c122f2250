#include "fileopen/code_page_hook.h"

#include "service/code_page_choices.h"

#include <QComboBox>
#include <vector>

namespace quillbrook {
namespace {

void fill(QComboBox& list, std::int32_t chosen)
{
    list.clear();
    const EncodingList filled = fillEncodingList(chosen);
    for (const EncodingListItem& item : filled.items)
        list.addItem(item.text, item.codePage);
    list.setCurrentIndex(filled.selectedIndex);
}

std::int32_t choiceOf(const QComboBox& list, std::int32_t chosen)
{
    std::vector<EncodingListItem> items;
    for (int i = 0; i < list.count(); ++i)
        items.push_back({list.itemText(i), list.itemData(i).toInt()});
    return readEncodingChoice(items, list.currentIndex(), chosen);
}

} // namespace

QString controlName(int controlId)
{
    return QString::number(controlId);
}

void CodePageHook(FileDialogEvent event, QObject& extraControls, std::intptr_t chosenCodePage)
{
    auto* list = extraControls.findChild<QComboBox*>(controlName(kEncodingListControl));
    // The address travels as the request's pointer-sized custom data, as the dialog's hook
    // data always did.
    auto* chosen = reinterpret_cast<std::int32_t*>(chosenCodePage);
    if (!list || !chosen)
        return;
    switch (event) {
    case FileDialogEvent::Initialized: fill(*list, *chosen); break;
    case FileDialogEvent::FileOk: *chosen = choiceOf(*list, *chosen); break;
    }
}

} // namespace quillbrook
