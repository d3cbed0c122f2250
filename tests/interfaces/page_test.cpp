#include "support/page/test_page.h"

#include "interfaces/interfaces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

using testing::TestElement;
using testing::TestPage;
using testing::TestTextBox;

const QString kUrl = QStringLiteral("http://example.test/bbs/post.cgi?id=3");

// The object's answer for `iid`; the HRESULT is checked.
std::shared_ptr<Dispatchable> ask(const std::shared_ptr<Dispatchable>& object, const Guid& iid, HRESULT expected = S_OK)
{
    std::shared_ptr<Dispatchable> answer;
    EXPECT_EQ(object->QueryInterface(iid, &answer), expected);
    return answer;
}

// A property read by name, as the bus reaches it; the HRESULT is checked.
Variant read(const std::shared_ptr<Dispatchable>& object, std::u16string_view name, HRESULT expected = S_OK)
{
    Variant value;
    EXPECT_EQ(object->invokeByName(name, DispatchFlags::PropertyGet, {}, &value), expected)
        << QStringView(name).toString().toStdString();
    return value;
}

HRESULT write(const std::shared_ptr<Dispatchable>& object, std::u16string_view name, const QString& value)
{
    const std::vector<Variant> args = {Variant::fromBstr(value)};
    return object->invokeByName(name, DispatchFlags::PropertyPut, args, nullptr);
}

TEST(PageQueryInterface, EachElementAnswersItsInterfacesAndNoOthers)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    struct Case {
        const char* name;
        std::shared_ptr<TestElement> element;
        bool textArea, textInput, form;
    };
    const Case cases[] = {
        {"textarea", page->addTextArea(QStringLiteral("body")), true, false, false},
        {"text input", page->addTextInput(QStringLiteral("subject")), false, true, false},
        {"div", page->addElement(), false, false, false},
        {"form", page->addForm(QStringLiteral("reply")), false, false, true},
    };
    for (const Case& c : cases) {
        const auto element = c.element->element();
        EXPECT_NE(ask(element, IID_IHTMLElement), nullptr) << c.name;
        EXPECT_EQ(queryInterface<IHTMLTextAreaElement>(element) != nullptr, c.textArea) << c.name;
        EXPECT_EQ(queryInterface<IHTMLInputTextElement>(element) != nullptr, c.textInput) << c.name;
        EXPECT_EQ(queryInterface<IHTMLFormElement>(element) != nullptr, c.form) << c.name;
        EXPECT_EQ(ask(element, IID_IHTMLDocument2, E_NOINTERFACE), nullptr) << c.name;

        const TextBox box = TextBox::of(element);
        EXPECT_EQ(static_cast<bool>(box), c.textArea || c.textInput) << c.name;
        EXPECT_EQ(box.isTextArea(), c.textArea) << c.name;
        EXPECT_EQ(box.object(), c.textArea || c.textInput ? element : nullptr) << c.name;
    }
}

// Answers both text box interfaces and records the order in which it was asked.
class BothTextBoxes final : public Dispatchable {
public:
    BothTextBoxes(std::shared_ptr<TestTextBox> area, std::shared_ptr<TestTextBox> input)
        : area_(std::move(area)), input_(std::move(input))
    {}
    std::vector<std::string> asked;

    HRESULT QueryInterface(const Guid& iid, std::shared_ptr<Dispatchable>* object) override
    {
        const bool textArea = iid == IID_IHTMLTextAreaElement;
        asked.push_back(textArea ? "textarea" : iid == IID_IHTMLInputTextElement ? "input" : "other");
        return (textArea ? area_ : input_)->element()->QueryInterface(iid, object);
    }
    const InterfaceInfo& typeInfo() const override { return IHTMLElement::interfaceInfo(); }

private:
    std::shared_ptr<TestTextBox> area_, input_;
};

TEST(PageQueryInterface, TheTextAreaInterfaceIsAskedFirst)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    const auto both = std::make_shared<BothTextBoxes>(page->addTextArea(QStringLiteral("area")),
                                                      page->addTextInput(QStringLiteral("input")));
    QString name;
    ASSERT_EQ(TextBox::of(both).get_name(&name), S_OK);
    EXPECT_EQ(name, QStringLiteral("area"));
    EXPECT_EQ(both->asked, std::vector<std::string>({"textarea"}));

    const auto inputOnly = page->addTextInput(QStringLiteral("input"))->element();
    const TextBox input = TextBox::of(inputOnly);
    ASSERT_TRUE(input);
    EXPECT_FALSE(input.isTextArea());
    EXPECT_EQ(TextBox().put_value(QStringLiteral("x")), E_NOINTERFACE) << "no text box";
}

TEST(PageQueryInterface, AllFacetsOfAnElementShareOneIdentity)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    const auto box = page->addTextArea(QStringLiteral("body"));
    const auto element = box->element();
    const auto generic = ask(element, IID_IHTMLElement);
    ASSERT_NE(generic, nullptr);
    EXPECT_NE(generic, element);
    EXPECT_EQ(ask(generic, IID_IUnknown), element);
    EXPECT_EQ(ask(generic, IID_IDispatch), element);
    EXPECT_EQ(ask(element, IID_IUnknown), element);
    EXPECT_EQ(ask(generic, IID_IHTMLTextAreaElement), element);
}

TEST(PageTextBox, ReadsAndWritesTheWholeValueThroughDispatchByName)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    for (const auto& box : {page->addTextArea(QStringLiteral("a"), nullptr, QStringLiteral("before")),
                            page->addTextInput(QStringLiteral("b"), nullptr, QStringLiteral("before"))}) {
        const char* kind = box->kind() == TestTextBox::Kind::TextArea ? "textarea" : "input";
        const auto element = box->element();
        std::vector<QString> observed;
        box->setWriteObserver([&observed](const QString& value) { observed.push_back(value); });

        EXPECT_EQ(read(element, u"value"), Variant::fromBstr(QStringLiteral("before"))) << kind;
        const QString text = QStringLiteral("line 1\r\nline 2 \u3042\r\n");
        EXPECT_EQ(write(element, u"VALUE", text), S_OK) << kind;
        EXPECT_EQ(box->value(), text) << kind;
        EXPECT_EQ(read(element, u"value"), Variant::fromBstr(text)) << kind;

        EXPECT_EQ(write(element, u"value", QString()), S_OK) << kind;
        EXPECT_TRUE(box->value().isNull()) << kind << ": the null string arrives as written";
        box->setValue(QStringLiteral("typed"));
        EXPECT_EQ(box->writes(), std::vector<QString>({text, QString()})) << kind << ": typing is not a write";
        EXPECT_EQ(observed, box->writes()) << kind;
        EXPECT_EQ(read(element, u"value"), Variant::fromBstr(QStringLiteral("typed"))) << kind;
    }
}

TEST(PageTextBox, NameAndFormWithinAndOutsideAForm)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    const auto named = page->addForm(QStringLiteral("reply"));
    const auto unnamed = page->addForm(QString());
    struct Case {
        const char* name;
        std::shared_ptr<TestTextBox> box;
        Variant expectedName;
        Variant expectedFormName; // VT_EMPTY: no form
    };
    const Case cases[] = {
        {"outside any form", page->addTextArea(QStringLiteral("body")), Variant::fromBstr(QStringLiteral("body")),
         Variant()},
        {"in a named form", page->addTextInput(QString(), named), Variant::fromBstr(QString()),
         Variant::fromBstr(QStringLiteral("reply"))},
        {"in a form without NAME", page->addTextArea(QString(), unnamed), Variant::fromBstr(QString()),
         Variant::fromBstr(QString())},
    };
    for (const Case& c : cases) {
        const auto element = c.box->element();
        EXPECT_EQ(read(element, u"name"), c.expectedName) << c.name;
        const Variant form = read(element, u"form");
        EXPECT_EQ(form.type(), VT_DISPATCH) << c.name;
        if (c.expectedFormName.type() == VT_EMPTY) {
            EXPECT_EQ(form.object(), nullptr) << c.name;
            continue;
        }
        const auto formElement = queryInterface<IHTMLFormElement>(form.object());
        ASSERT_NE(formElement, nullptr) << c.name;
        QString formName = QStringLiteral("unread");
        EXPECT_EQ(formElement->get_name(&formName), S_OK) << c.name;
        EXPECT_EQ(Variant::fromBstr(formName), c.expectedFormName) << c.name;
    }
}

TEST(PageDocument, TitleAndAddressReachedFromTheElement)
{
    struct Case {
        const char* name;
        QString title;
    };
    const Case cases[] = {
        {"a title", QStringLiteral("Report: Q1/Q2")},
        {"an empty title", QStringLiteral("")},
        {"no title string", QString()},
    };
    ASSERT_TRUE(!cases[1].title.isNull() && cases[2].title.isNull());
    for (const Case& c : cases) {
        const auto page = TestPage::create(c.title, kUrl);
        const auto element = page->addTextArea(QStringLiteral("body"))->element();
        const auto document = read(ask(element, IID_IHTMLElement), u"document").object();
        const auto document2 = queryInterface<IHTMLDocument2>(document);
        ASSERT_NE(document2, nullptr) << c.name;
        EXPECT_EQ(document, page->document()) << c.name << ": one document";

        QString title = QStringLiteral("unread");
        EXPECT_EQ(document2->get_title(&title), S_OK) << c.name;
        EXPECT_EQ(title.isNull(), c.title.isNull()) << c.name;
        EXPECT_EQ(title, c.title) << c.name;
        EXPECT_EQ(read(document, u"URL"), Variant::fromBstr(kUrl)) << c.name;
    }
}

} // namespace
} // namespace quillbrook
