// The elements of a TestPage: what a test holds of each element (its knobs and its recorded
// writes), and through element() the element as the browser hands it to a script. Each element
// answers its interfaces as facets; see test_page.h.
#pragma once

#include "automation/facets.h"

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace quillbrook::testing {

class TestPage;
class TestForm;

// Failures that an element's members answer instead of their values; S_OK answers normally.
// A member that the element does not have ignores its field.
struct ElementFailures {
    HRESULT document = S_OK;
    HRESULT name = S_OK;
    HRESULT form = S_OK;
    HRESULT valueRead = S_OK;
    HRESULT valueWrite = S_OK;
};

// An element that answers IHTMLElement only, like a DIV. Made by TestPage::addElement().
class TestElement : public FacetedObject {
public:
    explicit TestElement(std::shared_ptr<TestPage> page);

    // The element as the browser hands it to a script: its IDispatch.
    std::shared_ptr<Dispatchable> element() { return identity(); }
    TestPage& page() const { return *page_; }

    ElementFailures failures;

    // What the element's interfaces answer.
    HRESULT readDocument(std::shared_ptr<Dispatchable>* p) const;

protected:
    // The page's gone-away result, else `memberFailure`.
    HRESULT failure(HRESULT memberFailure) const;

    Guid canonicalInterface() const override;
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;

private:
    std::shared_ptr<TestPage> page_;
};

// A FORM: answers IHTMLFormElement (its IDispatch) and IHTMLElement. Made by TestPage::addForm().
class TestForm final : public TestElement {
public:
    // A null name: a form without a NAME.
    TestForm(std::shared_ptr<TestPage> page, QString name);

    HRESULT readName(QString* p) const;

protected:
    Guid canonicalInterface() const override;
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;

private:
    QString name_;
};

// A TEXTAREA or a text INPUT: answers IHTMLTextAreaElement or IHTMLInputTextElement (its
// IDispatch), and IHTMLElement. Made by TestPage::addTextArea() and addTextInput().
class TestTextBox final : public TestElement {
public:
    enum class Kind { TextArea, TextInput };

    TestTextBox(std::shared_ptr<TestPage> page, Kind kind, QString name, std::shared_ptr<TestForm> form, QString value);

    Kind kind() const { return kind_; }

    // The text as the page holds it. setValue() is the user typing: it is not a write.
    const QString& value() const { return value_; }
    void setValue(QString value) { value_ = std::move(value); }

    // Every value put through the interface and accepted, in order.
    const std::vector<QString>& writes() const { return writes_; }
    // Puts answered with failures.valueWrite or the page's gone-away result; the value stays.
    std::size_t refusedWrites() const { return refusedWrites_; }
    // Called after each accepted write with the new value, so that a test can wait for it.
    void setWriteObserver(std::function<void(const QString&)> observer) { writeObserver_ = std::move(observer); }

    // What the element's interfaces answer.
    HRESULT readValue(QString* p) const;
    HRESULT writeValue(const QString& v);
    HRESULT readName(QString* p) const;
    HRESULT readForm(std::shared_ptr<Dispatchable>* p) const;

protected:
    Guid canonicalInterface() const override;
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;

private:
    Kind kind_;
    QString name_;
    std::shared_ptr<TestForm> form_;
    QString value_;
    std::vector<QString> writes_;
    std::size_t refusedWrites_ = 0;
    std::function<void(const QString&)> writeObserver_;
};

} // namespace quillbrook::testing
