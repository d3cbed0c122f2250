// The bridge's page objects in process: what the page interfaces answer from the extension's
// values, writes that go to the browser, and unloading.
#include "automation/connection_interfaces.h"
#include "bridge/host/bridge_page.h"
#include "interfaces/htmlwindowevents.h"
#include "interfaces/ihtmldocument2.h"
#include "interfaces/ihtmlelement.h"
#include "interfaces/ihtmlformelement.h"
#include "interfaces/ihtmlinputtextelement.h"
#include "interfaces/ihtmltextareaelement.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillbrook::bridge {
namespace {

struct Write {
    QString page, element, value;
    friend bool operator==(const Write&, const Write&) = default;
};

// A sink that records the DISPIDs of the events it receives, into a list shared by several sinks.
class RecordingSink final : public Dispatchable {
public:
    RecordingSink(std::vector<std::pair<int, DISPID>>& log, int name) : log_(log), name_(name) {}
    const InterfaceInfo& typeInfo() const override { return htmlWindowEventsInfo(); }
    HRESULT Invoke(DISPID id, DispatchFlags, std::span<const Variant>, Variant*) override
    {
        log_.emplace_back(name_, id);
        return S_OK;
    }

private:
    std::vector<std::pair<int, DISPID>>& log_;
    int name_;
};

class BridgePageTest : public ::testing::Test {
protected:
    std::vector<Write> writes;
    // The browser's answers to the writes that wait for one.
    std::vector<WriteDone> answers;
    BridgePage page{QStringLiteral("p1"), [this](const QString& p, const QString& e, const QString& v, WriteDone done) {
                        writes.push_back({p, e, v});
                        if (done)
                            answers.push_back(std::move(done));
                    }};
    DocumentSnapshot document{QStringLiteral("Title"), QStringLiteral("http://example.test/")};

    std::shared_ptr<Dispatchable> element(ElementKind kind, QString value = QStringLiteral("v"),
                                          const QString& id = QStringLiteral("e1"))
    {
        return page.element(document, {id, kind, std::move(value), QStringLiteral("body"), true, QString()});
    }

    std::shared_ptr<IConnectionPoint> windowEvents()
    {
        std::shared_ptr<Dispatchable> point;
        const auto window = queryInterface<IConnectionPointContainer>(page.window());
        EXPECT_EQ(window->FindConnectionPoint(DIID_HTMLWindowEvents, &point), S_OK);
        return queryInterface<IConnectionPoint>(point);
    }
};

TEST_F(BridgePageTest, ElementsAnswerTheValuesTheExtensionSent)
{
    const auto first = element(ElementKind::TextArea, QStringLiteral("text"));
    const auto area = queryInterface<IHTMLTextAreaElement>(first);
    ASSERT_TRUE(area);
    QString text;
    EXPECT_EQ(area->get_value(&text), S_OK);
    EXPECT_EQ(text, u"text");
    std::shared_ptr<Dispatchable> form;
    ASSERT_EQ(area->get_form(&form), S_OK);
    QString formName = QStringLiteral("x");
    EXPECT_EQ(queryInterface<IHTMLFormElement>(form)->get_name(&formName), S_OK);
    EXPECT_TRUE(formName.isNull()) << "a form without a NAME answers the null string";

    std::shared_ptr<Dispatchable> documentObject;
    ASSERT_EQ(queryInterface<IHTMLElement>(area)->get_document(&documentObject), S_OK);
    QString title;
    EXPECT_EQ(queryInterface<IHTMLDocument2>(documentObject)->get_title(&title), S_OK);
    EXPECT_EQ(title, u"Title");

    EXPECT_TRUE(queryInterface<IHTMLInputTextElement>(element(ElementKind::TextInput, {}, QStringLiteral("e2"))));
    const auto other = element(ElementKind::Other, {}, QStringLiteral("e3"));
    EXPECT_TRUE(queryInterface<IHTMLElement>(other));
    EXPECT_FALSE(queryInterface<IHTMLTextAreaElement>(other));
    EXPECT_FALSE(queryInterface<IHTMLInputTextElement>(other));
    // The same element clicked again is the same object, with the new value.
    EXPECT_EQ(element(ElementKind::TextArea, QStringLiteral("again")), first);
    EXPECT_EQ(area->get_value(&text), S_OK);
    EXPECT_EQ(text, u"again");
}

TEST_F(BridgePageTest, PutValueWritesThroughTheBrowserUntilThePageUnloads)
{
    const auto input = queryInterface<IHTMLInputTextElement>(element(ElementKind::TextInput));
    EXPECT_EQ(input->put_value(QStringLiteral("new")), S_OK);
    EXPECT_EQ(writes, (std::vector<Write>{{QStringLiteral("p1"), QStringLiteral("e1"), QStringLiteral("new")}}));
    QString value;
    EXPECT_EQ(input->get_value(&value), S_OK);
    EXPECT_EQ(value, u"new");

    page.unload();
    EXPECT_EQ(input->put_value(QStringLiteral("late")), static_cast<HRESULT>(0x80070015u));
    EXPECT_EQ(writes.size(), 1u);
    EXPECT_EQ(input->get_value(&value), S_OK);
    EXPECT_EQ(value, u"new") << "a gone page keeps answering its last values";
}

// What a caller on the bus gets: the answer comes from the browser, and only a value that arrived
// becomes the element's value.
TEST_F(BridgePageTest, ConfirmedWritesAnswerWhatTheBrowserAnswered)
{
    const auto area = queryInterface<IHTMLTextAreaElement>(element(ElementKind::TextArea, QStringLiteral("old")));
    auto* writer = dynamic_cast<ConfirmedValueWriter*>(area.get());
    ASSERT_NE(writer, nullptr);
    std::vector<HRESULT> results;
    const auto record = [&](HRESULT hr) { results.push_back(hr); };
    writer->putValueConfirmed(QStringLiteral("lost"), record);
    writer->putValueConfirmed(QStringLiteral("arrived"), record);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_TRUE(results.empty()) << "answered before the browser did";
    const HRESULT notFound = static_cast<HRESULT>(0x80070490u);
    answers[0](notFound);
    QString value;
    EXPECT_EQ(area->get_value(&value), S_OK);
    EXPECT_EQ(value, u"old");
    answers[1](S_OK);
    EXPECT_EQ(area->get_value(&value), S_OK);
    EXPECT_EQ(value, u"arrived");
    EXPECT_EQ(results, (std::vector<HRESULT>{notFound, S_OK}));

    page.unload();
    writer->putValueConfirmed(QStringLiteral("late"), record);
    EXPECT_EQ(results.back(), static_cast<HRESULT>(0x80070015u));
    EXPECT_EQ(writes.size(), 2u);
}

TEST_F(BridgePageTest, UnloadFiresBeforeUnloadThenUnloadOnEverySinkOnce)
{
    std::vector<std::pair<int, DISPID>> log;
    const auto events = windowEvents();
    std::int32_t cookie = 0;
    ASSERT_EQ(events->Advise(std::make_shared<RecordingSink>(log, 1), &cookie), S_OK);
    ASSERT_EQ(events->Advise(std::make_shared<RecordingSink>(log, 2), &cookie), S_OK);

    page.unload();
    page.unload();
    EXPECT_EQ(log, (std::vector<std::pair<int, DISPID>>{{1, 1017}, {2, 1017}, {1, 1008}, {2, 1008}}));
    EXPECT_EQ(page.advisedSinkCount(), 0u);
    EXPECT_TRUE(page.isGone());
}

} // namespace
} // namespace quillbrook::bridge
