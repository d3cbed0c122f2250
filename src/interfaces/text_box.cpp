#include "interfaces/text_box.h"

namespace quillbrook {

TextBox TextBox::of(const std::shared_ptr<Dispatchable>& element)
{
    TextBox box;
    box.textArea_ = queryInterface<IHTMLTextAreaElement>(element);
    if (!box.textArea_)
        box.textInput_ = queryInterface<IHTMLInputTextElement>(element);
    return box;
}

std::shared_ptr<Dispatchable> TextBox::object() const
{
    if (textArea_)
        return textArea_;
    return textInput_;
}

HRESULT TextBox::get_value(QString* p) const
{
    if (textArea_)
        return textArea_->get_value(p);
    return textInput_ ? textInput_->get_value(p) : E_NOINTERFACE;
}

HRESULT TextBox::put_value(const QString& v) const
{
    if (textArea_)
        return textArea_->put_value(v);
    return textInput_ ? textInput_->put_value(v) : E_NOINTERFACE;
}

HRESULT TextBox::get_name(QString* p) const
{
    if (textArea_)
        return textArea_->get_name(p);
    return textInput_ ? textInput_->get_name(p) : E_NOINTERFACE;
}

HRESULT TextBox::get_form(std::shared_ptr<Dispatchable>* p) const
{
    if (textArea_)
        return textArea_->get_form(p);
    return textInput_ ? textInput_->get_form(p) : E_NOINTERFACE;
}

} // namespace quillbrook
