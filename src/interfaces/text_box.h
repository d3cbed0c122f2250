// The text box behind a page element, reached as the system reaches it: the element's
// IHTMLTextAreaElement, or failing that its IHTMLInputTextElement, always asked in that order.
// Both interfaces carry the same members; TextBox calls them on whichever the element answered.
#pragma once

#include "interfaces/ihtmlinputtextelement.h"
#include "interfaces/ihtmltextareaelement.h"

#include <memory>

namespace quillbrook {

class TextBox {
public:
    // No text box: every member answers E_NOINTERFACE.
    TextBox() = default;

    // Asks `element` for IHTMLTextAreaElement, then IHTMLInputTextElement; an element that answers
    // neither (or a null one) gives no text box.
    static TextBox of(const std::shared_ptr<Dispatchable>& element);

    explicit operator bool() const { return textArea_ || textInput_; }
    bool isTextArea() const { return textArea_ != nullptr; }

    // The interface the element answered, as an object; null when none.
    std::shared_ptr<Dispatchable> object() const;

    [[nodiscard]] HRESULT get_value(QString* p) const;
    [[nodiscard]] HRESULT put_value(const QString& v) const;
    [[nodiscard]] HRESULT get_name(QString* p) const;
    [[nodiscard]] HRESULT get_form(std::shared_ptr<Dispatchable>* p) const;

private:
    std::shared_ptr<IHTMLTextAreaElement> textArea_;
    std::shared_ptr<IHTMLInputTextElement> textInput_;
};

} // namespace quillbrook
