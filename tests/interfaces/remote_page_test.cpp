// The page interfaces across the bus: a TestPage served on one connection, reached through proxies
// on another, as the server reaches the browser bridge's page.
#include "recording_objects.h"
#include "support/bus/private_bus.h"
#include "support/main_thread_loop.h"
#include "support/page_bus/served_page.h"

#include "automation/bus_exporter.h"
#include "automation/connection_interfaces.h"
#include "interfaces/interfaces.h"

#include <QDBusConnectionInterface>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quillbrook {
namespace {

using testing::PrivateBus;
using testing::RecordingService;
using testing::ServedPage;
using testing::TestPage;
using testing::TestTextBox;
using Object = std::shared_ptr<Dispatchable>;

const QString kUrl = QStringLiteral("http://example.test/dir/post.cgi");
const QString kPageConnection = QStringLiteral("page");
const QString kClientConnection = QStringLiteral("client");
constexpr HRESULT kRefused = static_cast<HRESULT>(0x80070005u);

class RemotePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(privateBus.ok()) << privateBus.error();
        pageConnection = privateBus.connect(kPageConnection);
        clientConnection = privateBus.connect(kClientConnection);
        ASSERT_TRUE(pageConnection.isConnected() && clientConnection.isConnected());
        registerRemotePageInterfaces();
        served = std::make_unique<ServedPage>(pageConnection, page);
        exporter = std::make_unique<bus::BusExporter>(clientConnection);
    }

    void TearDown() override
    {
        served.reset();
        exporter.reset();
    }

    // The page's process ends: its objects and its connection are gone. A connection closes when
    // its last copy goes, so every holder drops it first.
    void pageGoesAway()
    {
        served.reset();
        pageConnection = QDBusConnection(QString());
        privateBus.disconnect(kPageConnection);
    }

    // The client's proxy of a page object.
    Object remote(const Object& local) { return exporter->fromReference(served->referenceOf(local)); }

    template <class Interface>
    std::shared_ptr<Interface> remoteAs(const Object& local)
    {
        return queryInterface<Interface>(remote(local));
    }

    // The window's events connection point, reached from an element as a service reaches it; null
    // when a step fails.
    static std::shared_ptr<IConnectionPoint> windowEventsOf(const Object& element)
    {
        Object document;
        Object window;
        Object point;
        const auto asElement = queryInterface<IHTMLElement>(element);
        if (!asElement || FAILED(asElement->get_document(&document)))
            return nullptr;
        const auto asDocument = queryInterface<IHTMLDocument2>(document);
        if (!asDocument || FAILED(asDocument->get_parentWindow(&window)))
            return nullptr;
        const auto container = queryInterface<IConnectionPointContainer>(window);
        if (!container || FAILED(container->FindConnectionPoint(DIID_HTMLWindowEvents, &point)))
            return nullptr;
        return queryInterface<IConnectionPoint>(point);
    }

    QCoreApplication& application = testing::testApplication();
    PrivateBus privateBus;
    QDBusConnection pageConnection{QString()};
    QDBusConnection clientConnection{QString()};
    std::shared_ptr<TestPage> page = TestPage::create(QStringLiteral("Report"), kUrl);
    std::unique_ptr<ServedPage> served;
    std::unique_ptr<bus::BusExporter> exporter;
};

TEST_F(RemotePage, ElementsAnswerTheTextBoxInterfaceTheyHave)
{
    const auto area = page->addTextArea(QStringLiteral("body"));
    const auto input = page->addTextInput(QStringLiteral("subject"));
    const auto div = page->addElement();
    const struct {
        const char* element;
        Object local;
        bool isTextBox;
        bool isTextArea;
    } cases[] = {
        {"TEXTAREA", area->element(), true, true},
        {"INPUT", input->element(), true, false},
        {"DIV", div->element(), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        const Object element = remote(c.local);
        ASSERT_NE(element, nullptr);
        const TextBox box = TextBox::of(element);
        EXPECT_EQ(static_cast<bool>(box), c.isTextBox);
        EXPECT_EQ(box.isTextArea(), c.isTextArea);
        EXPECT_NE(queryInterface<IHTMLElement>(element), nullptr);
        EXPECT_EQ(queryInterface<IHTMLFormElement>(element), nullptr);
    }
}

TEST_F(RemotePage, ValuesMakeTheRoundTripWhole)
{
    const QString typed = QStringLiteral("first line\r\nsecond \u00fc \u65e5\u672c \U0001F600");
    const QString edited = QStringLiteral("edited\n\ttext");
    for (const auto& box : {page->addTextArea(QStringLiteral("body"), nullptr, typed),
                            page->addTextInput(QStringLiteral("subject"), nullptr, typed)}) {
        SCOPED_TRACE(box->kind() == TestTextBox::Kind::TextArea ? "TEXTAREA" : "INPUT");
        const TextBox remoteBox = TextBox::of(remote(box->element()));
        ASSERT_TRUE(remoteBox);
        QString value;
        EXPECT_EQ(remoteBox.get_value(&value), S_OK);
        EXPECT_EQ(value, typed);

        EXPECT_EQ(remoteBox.put_value(edited), S_OK);
        EXPECT_EQ(remoteBox.put_value(QString()), S_OK);
        EXPECT_EQ(box->writes(), (std::vector<QString>{edited, QString()}));
        EXPECT_EQ(remoteBox.get_value(&value), S_OK);
        EXPECT_TRUE(value.isEmpty());
    }
}

TEST_F(RemotePage, NullStringsStayApartFromEmptyOnes)
{
    const auto document = remoteAs<IHTMLDocument2>(page->document());
    const auto form = page->addForm(QString());
    const TextBox box = TextBox::of(remote(page->addTextArea(QString(), form)->element()));
    const auto remoteForm = remoteAs<IHTMLFormElement>(form->element());
    ASSERT_NE(document, nullptr);
    ASSERT_NE(remoteForm, nullptr);
    const struct {
        const char* member;
        std::function<HRESULT(QString*)> read;
        QString expected;
    } cases[] = {
        {"title unset",
         [&](QString* p) {
             page->setTitle(QString());
             return document->get_title(p);
         },
         QString()},
        {"title empty",
         [&](QString* p) {
             page->setTitle(QStringLiteral(""));
             return document->get_title(p);
         },
         QStringLiteral("")},
        {"URL", [&](QString* p) { return document->get_URL(p); }, kUrl},
        {"text box without NAME", [&](QString* p) { return box.get_name(p); }, QString()},
        {"form without NAME", [&](QString* p) { return remoteForm->get_name(p); }, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        QString text = QStringLiteral("stale");
        EXPECT_EQ(c.read(&text), S_OK);
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(text.isNull(), c.expected.isNull());
    }
}

TEST_F(RemotePage, FormIsNullOutsideAFormAndNamedInsideOne)
{
    const TextBox outside = TextBox::of(remote(page->addTextInput(QStringLiteral("q"))->element()));
    const auto reply = page->addForm(QStringLiteral("reply"));
    const TextBox inside = TextBox::of(remote(page->addTextArea(QStringLiteral("body"), reply)->element()));

    Object form = std::make_shared<RecordingService>();
    EXPECT_EQ(outside.get_form(&form), S_OK);
    EXPECT_EQ(form, nullptr);

    ASSERT_EQ(inside.get_form(&form), S_OK);
    const auto remoteForm = queryInterface<IHTMLFormElement>(form);
    ASSERT_NE(remoteForm, nullptr);
    QString name;
    EXPECT_EQ(remoteForm->get_name(&name), S_OK);
    EXPECT_EQ(name, QStringLiteral("reply"));
}

TEST_F(RemotePage, DocumentAndWindowAreReachedFromTheElement)
{
    const auto element = remoteAs<IHTMLElement>(page->addTextArea(QStringLiteral("body"))->element());
    ASSERT_NE(element, nullptr);
    Object documentObject;
    ASSERT_EQ(element->get_document(&documentObject), S_OK);
    const auto document = queryInterface<IHTMLDocument2>(documentObject);
    ASSERT_NE(document, nullptr);
    QString text;
    EXPECT_EQ(document->get_title(&text), S_OK);
    EXPECT_EQ(text, QStringLiteral("Report"));
    EXPECT_EQ(document->get_URL(&text), S_OK);
    EXPECT_EQ(text, kUrl);

    Object window;
    ASSERT_EQ(document->get_parentWindow(&window), S_OK);
    const auto container = queryInterface<IConnectionPointContainer>(window);
    ASSERT_NE(container, nullptr);
    Object point;
    EXPECT_EQ(container->FindConnectionPoint(DIID_HTMLWindowEvents, &point), S_OK);
    EXPECT_NE(queryInterface<IConnectionPoint>(point), nullptr);
    EXPECT_EQ(container->FindConnectionPoint(IID_IHTMLElement, &point), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point, nullptr);
}

TEST_F(RemotePage, MemberFailuresArriveAsTheirResults)
{
    const auto box = page->addTextArea(QStringLiteral("body"), nullptr, QStringLiteral("kept"));
    const TextBox remoteBox = TextBox::of(remote(box->element()));
    const auto element = remoteAs<IHTMLElement>(box->element());
    const auto document = remoteAs<IHTMLDocument2>(page->document());
    const auto window = remoteAs<IConnectionPointContainer>(page->window());
    const auto point = windowEventsOf(remote(box->element()));
    ASSERT_TRUE(remoteBox);
    ASSERT_NE(element, nullptr);
    ASSERT_NE(document, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(point, nullptr);
    QString text;
    Object object;
    std::int32_t cookie = 0;
    const auto sink = std::make_shared<RecordingService>();
    const struct {
        const char* member;
        std::function<void()> knob;
        std::function<HRESULT()> call;
    } cases[] = {
        {"value read", [&] { box->failures.valueRead = kRefused; }, [&] { return remoteBox.get_value(&text); }},
        {"value write", [&] { box->failures.valueWrite = kRefused; }, [&] { return remoteBox.put_value(text); }},
        {"name", [&] { box->failures.name = kRefused; }, [&] { return remoteBox.get_name(&text); }},
        {"form", [&] { box->failures.form = kRefused; }, [&] { return remoteBox.get_form(&object); }},
        {"document", [&] { box->failures.document = kRefused; }, [&] { return element->get_document(&object); }},
        {"title", [&] { page->failures.title = kRefused; }, [&] { return document->get_title(&text); }},
        {"URL", [&] { page->failures.URL = kRefused; }, [&] { return document->get_URL(&text); }},
        {"parentWindow", [&] { page->failures.parentWindow = kRefused; },
         [&] { return document->get_parentWindow(&object); }},
        {"FindConnectionPoint", [&] { page->failures.findConnectionPoint = kRefused; },
         [&] { return window->FindConnectionPoint(DIID_HTMLWindowEvents, &object); }},
        {"Advise", [&] { page->failures.advise = kRefused; }, [&] { return point->Advise(sink, &cookie); }},
        {"Unadvise", [&] { page->failures.unadvise = kRefused; }, [&] { return point->Unadvise(1); }},
        {"page gone away", [&] { page->goAway(kRefused); }, [&] { return remoteBox.get_value(&text); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        box->failures = {};
        page->failures = {};
        page->goAway(S_OK);
        c.knob();
        EXPECT_EQ(c.call(), kRefused);
    }
    EXPECT_EQ(box->value(), QStringLiteral("kept"));
    EXPECT_EQ(box->refusedWrites(), 1u);
    EXPECT_EQ(page->advisedSinkCount(), 0u);
}

TEST_F(RemotePage, WindowEventsReachAnAdvisedSinkByDispid)
{
    const auto point = windowEventsOf(remote(page->addTextArea(QStringLiteral("body"))->element()));
    ASSERT_NE(point, nullptr);
    const auto sink = std::make_shared<RecordingService>();
    std::int32_t cookie = 0;
    ASSERT_EQ(point->Advise(sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0);
    EXPECT_EQ(page->advisedSinkCount(), 1u);

    page->fireBeforeUnload();
    page->fireUnload();
    ASSERT_TRUE(testing::runEventLoopUntil([&] { return sink->calls.size() >= 2; }));
    EXPECT_EQ(sink->calls, (std::vector<std::string>{"OnBeforeUnload", "OnUnload"}));
}

TEST_F(RemotePage, UnadvisedSinksHearNothingMoreAndAreReleased)
{
    const auto point = windowEventsOf(remote(page->addTextArea(QStringLiteral("body"))->element()));
    ASSERT_NE(point, nullptr);
    const std::size_t exportedBefore = exporter->exportedCount();
    const auto first = std::make_shared<RecordingService>();
    const auto second = std::make_shared<RecordingService>();
    std::int32_t firstCookie = 0;
    std::int32_t secondCookie = 0;
    ASSERT_EQ(point->Advise(first, &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(second, &secondCookie), S_OK);
    EXPECT_NE(firstCookie, secondCookie);
    EXPECT_EQ(exporter->exportedCount(), exportedBefore + 2);

    EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(page->advisedSinkCount(), 1u);
    EXPECT_TRUE(testing::runEventLoopUntil([&] { return exporter->exportedCount() == exportedBefore + 1; }));

    // The first sink was advised first: an event for it would arrive before the second's.
    page->fireBeforeUnload();
    ASSERT_TRUE(testing::runEventLoopUntil([&] { return !second->calls.empty(); }));
    EXPECT_TRUE(first->calls.empty());

    page->close();
    EXPECT_TRUE(testing::runEventLoopUntil([&] { return exporter->exportedCount() == exportedBefore; }));
}

TEST_F(RemotePage, APageThatWentAwayAnswersFailures)
{
    const auto box = page->addTextArea(QStringLiteral("body"), nullptr, QStringLiteral("kept"));
    const bus::ObjectReference reference = served->referenceOf(box->element());
    const TextBox remoteBox = TextBox::of(exporter->fromReference(reference));
    const auto document = remoteAs<IHTMLDocument2>(page->document());
    const auto point = windowEventsOf(remote(box->element()));
    // A proxy keeps the interfaces it was given; one not asked for yet must ask the page.
    const bus::ObjectReference untouched = served->referenceOf(page->addTextInput(QStringLiteral("q"))->element());
    ASSERT_TRUE(remoteBox);
    ASSERT_NE(document, nullptr);
    ASSERT_NE(point, nullptr);

    pageGoesAway();
    ASSERT_TRUE(testing::runEventLoopUntil(
        [&] { return !clientConnection.interface()->isServiceRegistered(reference.service).value(); }));

    QString text = QStringLiteral("stale");
    Object object = std::make_shared<RecordingService>();
    std::int32_t cookie = 7;
    EXPECT_TRUE(FAILED(remoteBox.get_value(&text)));
    EXPECT_TRUE(text.isNull());
    EXPECT_TRUE(FAILED(remoteBox.put_value(QStringLiteral("lost"))));
    EXPECT_TRUE(FAILED(document->get_title(&text)));
    EXPECT_TRUE(FAILED(document->get_parentWindow(&object)));
    EXPECT_EQ(object, nullptr);
    EXPECT_TRUE(FAILED(point->Advise(std::make_shared<RecordingService>(), &cookie)));
    EXPECT_EQ(cookie, 0);
    EXPECT_TRUE(FAILED(point->Unadvise(1)));
    const Object lateProxy = exporter->fromReference(untouched);
    EXPECT_FALSE(TextBox::of(lateProxy));
    EXPECT_EQ(queryInterface<IHTMLElement>(lateProxy), nullptr);
    EXPECT_EQ(box->value(), QStringLiteral("kept"));
}

} // namespace
} // namespace quillbrook
