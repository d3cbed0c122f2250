#include "support/page/test_elements.h"

#include "interfaces/ihtmlelement.h"
#include "interfaces/ihtmlformelement.h"
#include "interfaces/ihtmlinputtextelement.h"
#include "interfaces/ihtmltextareaelement.h"
#include "support/page/test_page.h"

namespace quillbrook::testing {

namespace {

class ElementFacet final : public Facet<IHTMLElement, TestElement> {
public:
    using Facet::Facet;
    HRESULT get_document(std::shared_ptr<Dispatchable>* p) override { return state().readDocument(p); }
};

class FormFacet final : public Facet<IHTMLFormElement, TestForm> {
public:
    using Facet::Facet;
    HRESULT get_name(QString* p) override { return state().readName(p); }
};

// IHTMLTextAreaElement and IHTMLInputTextElement have the same members.
template <class Interface>
class TextBoxFacet final : public Facet<Interface, TestTextBox> {
public:
    using Facet<Interface, TestTextBox>::Facet;
    HRESULT get_value(QString* p) override { return this->state().readValue(p); }
    HRESULT put_value(const QString& v) override { return this->state().writeValue(v); }
    HRESULT get_name(QString* p) override { return this->state().readName(p); }
    HRESULT get_form(std::shared_ptr<Dispatchable>* p) override { return this->state().readForm(p); }
};

} // namespace

TestElement::TestElement(std::shared_ptr<TestPage> page) : page_(std::move(page)) {}

HRESULT TestElement::readDocument(std::shared_ptr<Dispatchable>* p) const
{
    if (const HRESULT hr = failure(failures.document); FAILED(hr))
        return hr;
    *p = page_->document();
    return S_OK;
}

HRESULT TestElement::failure(HRESULT memberFailure) const
{
    return page_->failure(memberFailure);
}

Guid TestElement::canonicalInterface() const
{
    return IID_IHTMLElement;
}

std::shared_ptr<Dispatchable> TestElement::createFacet(const Guid& iid)
{
    if (iid == IID_IHTMLElement)
        return std::make_shared<ElementFacet>(sharedSelf<TestElement>());
    return nullptr;
}

TestForm::TestForm(std::shared_ptr<TestPage> page, QString name) : TestElement(std::move(page)), name_(std::move(name))
{}

HRESULT TestForm::readName(QString* p) const
{
    if (const HRESULT hr = failure(failures.name); FAILED(hr))
        return hr;
    *p = name_;
    return S_OK;
}

Guid TestForm::canonicalInterface() const
{
    return IID_IHTMLFormElement;
}

std::shared_ptr<Dispatchable> TestForm::createFacet(const Guid& iid)
{
    if (iid == IID_IHTMLFormElement)
        return std::make_shared<FormFacet>(sharedSelf<TestForm>());
    return TestElement::createFacet(iid);
}

TestTextBox::TestTextBox(std::shared_ptr<TestPage> page, Kind kind, QString name, std::shared_ptr<TestForm> form,
                         QString value)
    : TestElement(std::move(page)), kind_(kind), name_(std::move(name)), form_(std::move(form)),
      value_(std::move(value))
{}

HRESULT TestTextBox::readValue(QString* p) const
{
    if (const HRESULT hr = failure(failures.valueRead); FAILED(hr))
        return hr;
    *p = value_;
    return S_OK;
}

HRESULT TestTextBox::writeValue(const QString& v)
{
    if (const HRESULT hr = failure(failures.valueWrite); FAILED(hr)) {
        ++refusedWrites_;
        return hr;
    }
    value_ = v;
    writes_.push_back(v);
    if (writeObserver_)
        writeObserver_(v);
    return S_OK;
}

HRESULT TestTextBox::readName(QString* p) const
{
    if (const HRESULT hr = failure(failures.name); FAILED(hr))
        return hr;
    *p = name_;
    return S_OK;
}

HRESULT TestTextBox::readForm(std::shared_ptr<Dispatchable>* p) const
{
    if (const HRESULT hr = failure(failures.form); FAILED(hr))
        return hr;
    *p = form_ ? form_->element() : nullptr;
    return S_OK;
}

Guid TestTextBox::canonicalInterface() const
{
    return kind_ == Kind::TextArea ? IID_IHTMLTextAreaElement : IID_IHTMLInputTextElement;
}

std::shared_ptr<Dispatchable> TestTextBox::createFacet(const Guid& iid)
{
    if (kind_ == Kind::TextArea && iid == IID_IHTMLTextAreaElement)
        return std::make_shared<TextBoxFacet<IHTMLTextAreaElement>>(sharedSelf<TestTextBox>());
    if (kind_ == Kind::TextInput && iid == IID_IHTMLInputTextElement)
        return std::make_shared<TextBoxFacet<IHTMLInputTextElement>>(sharedSelf<TestTextBox>());
    return TestElement::createFacet(iid);
}

} // namespace quillbrook::testing
