#include "recording_objects.h"
#include "support/page/test_page.h"

#include "automation/connection_interfaces.h"
#include "interfaces/interfaces.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quillbrook {
namespace {

using testing::RecordingService;
using testing::TestForm;
using testing::TestPage;
using testing::TestTextBox;

const QString kUrl = QStringLiteral("http://example.test/dir/page.html");

// The window's events connection point, reached from an element the way a service reaches it.
std::shared_ptr<IConnectionPoint> windowEventsOf(const std::shared_ptr<Dispatchable>& element)
{
    std::shared_ptr<Dispatchable> document;
    EXPECT_EQ(queryInterface<IHTMLElement>(element)->get_document(&document), S_OK);
    std::shared_ptr<Dispatchable> window;
    EXPECT_EQ(queryInterface<IHTMLDocument2>(document)->get_parentWindow(&window), S_OK);
    const auto container = queryInterface<IConnectionPointContainer>(window);
    EXPECT_NE(container, nullptr);
    std::shared_ptr<Dispatchable> point;
    EXPECT_EQ(container->FindConnectionPoint(DIID_HTMLWindowEvents, &point), S_OK);
    return queryInterface<IConnectionPoint>(point);
}

// A sink that runs an action when the window's beforeunload reaches it.
class BeforeUnloadAction final : public Dispatchable {
public:
    explicit BeforeUnloadAction(std::function<void()> action) : action_(std::move(action)) {}
    HRESULT OnBeforeUnload()
    {
        action_();
        return S_OK;
    }
    const InterfaceInfo& typeInfo() const override;

private:
    std::function<void()> action_;
};

constexpr auto kActionMembers =
    memberTable(method<&BeforeUnloadAction::OnBeforeUnload>(u"OnBeforeUnload", 1017, {}, u""));
constexpr InterfaceInfo kActionInfo{u"IAction", *Guid::parse("{0C000000-0000-0000-0000-000000000001}"), u"", false,
                                    kActionMembers};
const InterfaceInfo& BeforeUnloadAction::typeInfo() const
{
    return kActionInfo;
}

TEST(PageWindow, EventsReachAdvisedServicesThroughTheirOwnDispatch)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    const auto point = windowEventsOf(page->addTextArea(QStringLiteral("body"))->element());
    ASSERT_NE(point, nullptr);
    const auto first = std::make_shared<RecordingService>();
    const auto second = std::make_shared<RecordingService>();
    std::int32_t firstCookie = 0;
    std::int32_t secondCookie = 0;
    ASSERT_EQ(point->Advise(first, &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(second, &secondCookie), S_OK);
    EXPECT_NE(firstCookie, 0);
    EXPECT_NE(firstCookie, secondCookie);
    EXPECT_EQ(page->advisedSinkCount(), 2u);

    page->fireBeforeUnload();
    page->fireUnload();
    const std::vector<std::string> both = {"OnBeforeUnload", "OnUnload"};
    EXPECT_EQ(first->calls, both);
    EXPECT_EQ(second->calls, both);

    EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(page->advisedSinkCount(), 1u);
    page->fireUnload();
    EXPECT_EQ(first->calls, both) << "an unadvised service hears nothing more";
    EXPECT_EQ(second->calls.back(), "OnUnload");
}

TEST(PageWindow, FindsOnlyTheWindowEventsConnectionPoint)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    const auto window = page->window();
    struct Case {
        QString iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {QStringLiteral("{96A0A4E0-D062-11CF-94B6-00AA0060275C}"), S_OK},
        {QStringLiteral("{96a0a4e0-d062-11cf-94b6-00aa0060275c}"), S_OK},
        {QString::fromStdString(DIID__IServiceEvents.toString()), CONNECT_E_NOCONNECTION},
        {QStringLiteral("HTMLWindowEvents"), CONNECT_E_NOCONNECTION},
    };
    for (const Case& c : cases) {
        const std::vector<Variant> args = {Variant::fromBstr(c.iid)};
        Variant point;
        EXPECT_EQ(window->invokeByName(u"FindConnectionPoint", DispatchFlags::Method, args, &point), c.expected)
            << c.iid.toStdString();
        EXPECT_EQ(queryInterface<IConnectionPoint>(point.object()) != nullptr, c.expected == S_OK)
            << c.iid.toStdString();
    }
}

TEST(PageWindow, AServiceUnadvisedDuringBeforeUnloadHearsNoUnload)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    const auto point = windowEventsOf(page->addTextInput(QStringLiteral("q"))->element());
    const auto service = std::make_shared<RecordingService>();
    std::int32_t serviceCookie = 0;
    std::int32_t actionCookie = 0;
    HRESULT unadvised = E_FAIL;
    ASSERT_EQ(point->Advise(std::make_shared<BeforeUnloadAction>([&] {
                                unadvised = point->Unadvise(serviceCookie);
                                EXPECT_EQ(point->Unadvise(actionCookie), S_OK);
                            }),
                            &actionCookie),
              S_OK);
    ASSERT_EQ(point->Advise(service, &serviceCookie), S_OK);

    page->close();
    EXPECT_EQ(unadvised, S_OK);
    EXPECT_TRUE(service->calls.empty());
    EXPECT_EQ(page->advisedSinkCount(), 0u);
}

TEST(PageWindow, ClosingDeliversBothEventsThenDropsEverySink)
{
    const auto page = TestPage::create(QStringLiteral("t"), kUrl);
    const auto service = std::make_shared<RecordingService>();
    std::int32_t cookie = 0;
    ASSERT_EQ(windowEventsOf(page->addElement()->element())->Advise(service, &cookie), S_OK);
    const std::weak_ptr<RecordingService> watched = service;
    page->close();
    EXPECT_EQ(service->calls, std::vector<std::string>({"OnBeforeUnload", "OnUnload"}));
    EXPECT_EQ(page->advisedSinkCount(), 0u);
    EXPECT_EQ(watched.use_count(), 1) << "the page holds the service no more";
}

// One page with one text area in a form, and a sink advised on its window before any knob is set.
struct PageObjects {
    std::shared_ptr<TestPage> page = TestPage::create(QStringLiteral("t"), kUrl);
    std::shared_ptr<TestForm> form = page->addForm(QStringLiteral("f"));
    std::shared_ptr<TestTextBox> box = page->addTextArea(QStringLiteral("b"), form, QStringLiteral("before"));
    std::shared_ptr<IConnectionPoint> events = windowEventsOf(box->element());
    std::int32_t cookie = 0;

    PageObjects() { EXPECT_EQ(events->Advise(std::make_shared<RecordingService>(), &cookie), S_OK); }
};

HRESULT get(const std::shared_ptr<Dispatchable>& object, std::u16string_view name)
{
    Variant value;
    return object->invokeByName(name, DispatchFlags::PropertyGet, {}, &value);
}

// Every member the system calls on a page, each with the knob that makes it fail.
struct PageMember {
    const char* name;
    std::function<HRESULT&(PageObjects&)> knob;
    std::function<HRESULT(PageObjects&)> call;
};

const std::vector<PageMember>& pageMembers()
{
    static const std::vector<PageMember> members = {
        {"title", [](PageObjects& o) -> HRESULT& { return o.page->failures.title; },
         [](PageObjects& o) { return get(o.page->document(), u"title"); }},
        {"URL", [](PageObjects& o) -> HRESULT& { return o.page->failures.URL; },
         [](PageObjects& o) { return get(o.page->document(), u"URL"); }},
        {"parentWindow", [](PageObjects& o) -> HRESULT& { return o.page->failures.parentWindow; },
         [](PageObjects& o) { return get(o.page->document(), u"parentWindow"); }},
        {"document", [](PageObjects& o) -> HRESULT& { return o.box->failures.document; },
         [](PageObjects& o) { return get(queryInterface<IHTMLElement>(o.box->element()), u"document"); }},
        {"value get", [](PageObjects& o) -> HRESULT& { return o.box->failures.valueRead; },
         [](PageObjects& o) { return get(o.box->element(), u"value"); }},
        {"value put", [](PageObjects& o) -> HRESULT& { return o.box->failures.valueWrite; },
         [](PageObjects& o) {
             const std::vector<Variant> args = {Variant::fromBstr(QStringLiteral("after"))};
             return o.box->element()->invokeByName(u"value", DispatchFlags::PropertyPut, args, nullptr);
         }},
        {"name", [](PageObjects& o) -> HRESULT& { return o.box->failures.name; },
         [](PageObjects& o) { return get(o.box->element(), u"name"); }},
        {"form", [](PageObjects& o) -> HRESULT& { return o.box->failures.form; },
         [](PageObjects& o) { return get(o.box->element(), u"form"); }},
        {"form name", [](PageObjects& o) -> HRESULT& { return o.form->failures.name; },
         [](PageObjects& o) { return get(o.form->element(), u"name"); }},
        {"FindConnectionPoint", [](PageObjects& o) -> HRESULT& { return o.page->failures.findConnectionPoint; },
         [](PageObjects& o) {
             std::shared_ptr<Dispatchable> point;
             return queryInterface<IConnectionPointContainer>(o.page->window())
                 ->FindConnectionPoint(DIID_HTMLWindowEvents, &point);
         }},
        {"Advise", [](PageObjects& o) -> HRESULT& { return o.page->failures.advise; },
         [](PageObjects& o) {
             std::int32_t cookie = 0;
             return o.events->Advise(std::make_shared<RecordingService>(), &cookie);
         }},
        {"Unadvise", [](PageObjects& o) -> HRESULT& { return o.page->failures.unadvise; },
         [](PageObjects& o) { return o.events->Unadvise(o.cookie); }},
    };
    return members;
}

constexpr HRESULT kRefused = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT kDisconnected = static_cast<HRESULT>(0x80010108u);

TEST(PageFailures, EachKnobFailsItsOwnMemberOnly)
{
    for (const PageMember& failing : pageMembers()) {
        PageObjects o;
        failing.knob(o) = kRefused;
        for (const PageMember& member : pageMembers()) {
            EXPECT_EQ(member.call(o), &member == &failing ? kRefused : S_OK)
                << "knob " << failing.name << ", call " << member.name;
        }
    }
}

TEST(PageFailures, APageThatWentAwayFailsEveryMember)
{
    PageObjects o;
    o.page->goAway(kDisconnected);
    for (const PageMember& member : pageMembers())
        EXPECT_EQ(member.call(o), kDisconnected) << member.name;
    EXPECT_EQ(o.box->value(), QStringLiteral("before"));
    EXPECT_TRUE(o.box->writes().empty());
    EXPECT_EQ(o.box->refusedWrites(), 1u);
    EXPECT_EQ(o.page->advisedSinkCount(), 1u);
}

TEST(PageFailures, ARefusedAdviseGivesNoCookie)
{
    PageObjects o;
    o.page->failures.advise = kRefused;
    std::int32_t cookie = 5;
    EXPECT_EQ(o.events->Advise(std::make_shared<RecordingService>(), &cookie), kRefused);
    EXPECT_EQ(cookie, 0);
    EXPECT_EQ(o.page->advisedSinkCount(), 1u);
}

} // namespace
} // namespace quillbrook
