// CService's view of the page: binding the text box and building the temporary file's name from
// the page's facts.
#include "service/service.h"

#include "interfaces/ihtmlformelement.h"
#include "interfaces/text_box.h"
#include "service/temporary_file_name.h"
#include "store/global_settings.h"

namespace quillbrook {
namespace {

// A value only for a successful read of a real string: a null string is no value.
template <class Read>
std::optional<QString> readString(Read read)
{
    QString value;
    if (FAILED(read(&value)) || value.isNull())
        return std::nullopt;
    return value;
}

std::optional<QString> formNameOf(const TextBox& box)
{
    std::shared_ptr<Dispatchable> formObject;
    if (FAILED(box.get_form(&formObject)) || !formObject)
        return std::nullopt;
    const auto form = queryInterface<IHTMLFormElement>(formObject);
    if (!form)
        return std::nullopt;
    return readString([&](QString* value) { return form->get_name(value); });
}

} // namespace

HRESULT CService::bindElement(const std::shared_ptr<Dispatchable>& element)
{
    element_ = queryInterface<IHTMLElement>(element);
    document_.reset();
    if (!element)
        return E_POINTER;
    if (!element_)
        return E_NOINTERFACE;
    std::shared_ptr<Dispatchable> documentObject;
    const HRESULT read = element_->get_document(&documentObject);
    if (!documentObject)
        return FAILED(read) ? read : E_POINTER;
    document_ = queryInterface<IHTMLDocument2>(documentObject);
    return document_ ? S_OK : E_NOINTERFACE;
}

std::string CService::MakeTemporaryFileName()
{
    FileNameFacts facts;
    if (document_)
        facts.title = readString([&](QString* value) { return document_->get_title(value); });
    if (const TextBox box = TextBox::of(element_)) {
        facts.textBoxName = readString([&](QString* value) { return box.get_name(value); });
        facts.formName = formNameOf(box);
    }
    GlobalSettings& settings = globalSettings();
    facts.sessionNumber = settings.NextSessionID();
    facts.localTime = currentLocalTime();
    if (document_)
        facts.url = readString([&](QString* value) { return document_->get_URL(value); });
    return makeTemporaryFileName(facts, settings.TempFileNameTemplate, settings_.Extension);
}

} // namespace quillbrook
