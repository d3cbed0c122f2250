#include "automation/connection_point.h"
#include "automation/introspection.h"
#include "automation/member_table.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quillbrook {
namespace {

constexpr Guid kEventsIid = *Guid::parse("{0B000000-0000-0000-0000-000000000001}");
constexpr DISPID kClosing = 1017;
constexpr DISPID kClosed = 1008;

// A sink with two event handlers. Each call is written to a log shared by all sinks of a test, and
// runs the sink's `during` action, which may unadvise sinks or drop the connection point.
class RecordingSink : public Dispatchable {
public:
    RecordingSink(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

    std::function<void()> during;

    HRESULT Closing() { return record("Closing"); }
    HRESULT Closed() { return record("Closed"); }

    const InterfaceInfo& typeInfo() const override;

private:
    HRESULT record(const char* event)
    {
        log_.push_back(name_ + ' ' + event);
        // A copy: the action may replace itself.
        if (const std::function<void()> action = during)
            action();
        return E_FAIL; // a failing handler must not stop the delivery
    }

    std::string name_;
    std::vector<std::string>& log_;
};

constexpr auto kSinkMembers = memberTable(method<&RecordingSink::Closing>(u"Closing", kClosing, {}, u""),
                                          method<&RecordingSink::Closed>(u"Closed", kClosed, {}, u""));
constexpr InterfaceInfo kSinkInfo{u"ISink", kEventsIid, u"", false, kSinkMembers};
const InterfaceInfo& RecordingSink::typeInfo() const
{
    return kSinkInfo;
}

// A sink that answers no IDispatch, as a remote object might.
class DeafSink final : public RecordingSink {
public:
    using RecordingSink::RecordingSink;
    HRESULT QueryInterface(const Guid&, std::shared_ptr<Dispatchable>* object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
};

struct Fixture {
    std::vector<std::string> log;
    std::shared_ptr<ConnectionPoint> point = std::make_shared<ConnectionPoint>(kEventsIid);

    std::shared_ptr<RecordingSink> sink(const std::string& name) { return std::make_shared<RecordingSink>(name, log); }
    std::int32_t advise(const std::shared_ptr<Dispatchable>& sink)
    {
        std::int32_t cookie = 0;
        EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
        return cookie;
    }
};

TEST(ConnectionPointTypeInfo, TablesOfTheContainerAndThePoint)
{
    struct Case {
        const InterfaceInfo& info;
        const char* expected;
    };
    const Case cases[] = {
        {IConnectionPointContainer::interfaceInfo(),
         "<interface name=\"IConnectionPointContainer\" iid=\"{B196B284-BAB4-101A-B69C-00AA00341D07}\" dual=\"true\" "
         "help=\"A source of events\">\n"
         "  <member name=\"FindConnectionPoint\" dispid=\"1\" kind=\"method\" type=\"IDispatch*\" "
         "help=\"The connection point for an events interface\">\n"
         "    <param name=\"riid\" type=\"BSTR\"/>\n"
         "  </member>\n"
         "</interface>\n"},
        {IConnectionPoint::interfaceInfo(),
         "<interface name=\"IConnectionPoint\" iid=\"{B196B286-BAB4-101A-B69C-00AA00341D07}\" dual=\"true\" "
         "help=\"The connections to one events interface\">\n"
         "  <member name=\"Advise\" dispid=\"1\" kind=\"method\" type=\"long\" "
         "help=\"Connects a sink to the events\">\n"
         "    <param name=\"pUnkSink\" type=\"IUnknown*\"/>\n"
         "  </member>\n"
         "  <member name=\"Unadvise\" dispid=\"2\" kind=\"method\" help=\"Disconnects the sink of a cookie\">\n"
         "    <param name=\"dwCookie\" type=\"long\"/>\n"
         "  </member>\n"
         "</interface>\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(introspectionXml(c.info).toStdString(), c.expected);
}

TEST(ConnectionPoint, CookiesAreNonzeroAndDistinctAndEachUnadvisesOnce)
{
    Fixture f;
    const auto first = f.sink("first");
    const std::int32_t a = f.advise(first);
    const std::int32_t b = f.advise(first);
    const std::int32_t c = f.advise(f.sink("second"));
    EXPECT_EQ(std::vector<std::int32_t>({a, b, c}), std::vector<std::int32_t>({1, 2, 3}));
    EXPECT_EQ(f.point->sinkCount(), 3u);

    struct Case {
        std::int32_t cookie;
        HRESULT expected;
    };
    const Case cases[] = {
        {b, S_OK}, {b, CONNECT_E_NOCONNECTION}, {0, CONNECT_E_NOCONNECTION}, {99, CONNECT_E_NOCONNECTION}, {a, S_OK},
        {c, S_OK}};
    for (const Case& unadvise : cases)
        EXPECT_EQ(f.point->Unadvise(unadvise.cookie), unadvise.expected) << "cookie " << unadvise.cookie;
    EXPECT_EQ(f.point->sinkCount(), 0u);
    EXPECT_EQ(f.advise(first), 4) << "a cookie is never handed out twice";
}

TEST(ConnectionPoint, RefusesMissingSinksAndSinksWithoutIDispatch)
{
    Fixture f;
    std::int32_t cookie = 7;
    EXPECT_EQ(f.point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0);
    EXPECT_EQ(f.point->Advise(f.sink("s"), nullptr), E_POINTER);
    cookie = 7;
    EXPECT_EQ(f.point->Advise(std::make_shared<DeafSink>("deaf", f.log), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0);
    EXPECT_EQ(f.point->sinkCount(), 0u);
}

TEST(ConnectionPoint, AdviseAndUnadviseThroughDispatch)
{
    Fixture f;
    const std::vector<Variant> sinkArg = {Variant::fromDispatch(f.sink("s"))};
    Variant cookie;
    ASSERT_EQ(f.point->invokeByName(u"Advise", DispatchFlags::Method, sinkArg, &cookie), S_OK);
    EXPECT_EQ(cookie, Variant::fromI4(1));
    const std::vector<Variant> cookieArg = {cookie};
    EXPECT_EQ(f.point->invokeByName(u"Unadvise", DispatchFlags::Method, cookieArg, nullptr), S_OK);
    EXPECT_EQ(f.point->invokeByName(u"Unadvise", DispatchFlags::Method, cookieArg, nullptr), CONNECT_E_NOCONNECTION);
}

TEST(ConnectionPoint, DeliversEachEventToEverySinkByDispidInAdviseOrder)
{
    Fixture f;
    f.advise(f.sink("a"));
    f.advise(f.sink("b"));
    f.point->fire(kClosing);
    f.point->fire(kClosed);
    f.point->fire(5); // a DISPID no sink has: nothing happens
    EXPECT_EQ(f.log, std::vector<std::string>({"a Closing", "b Closing", "a Closed", "b Closed"}));
}

TEST(ConnectionPoint, SinksMayUnadviseAndAdviseDuringDelivery)
{
    struct Case {
        const char* name;
        std::function<void(Fixture&, std::vector<std::int32_t>& cookies)> setUp;
        std::vector<std::string> expected; // two deliveries of kClosing
    };
    const std::vector<Case> cases = {
        {"a sink unadvises itself",
         [](Fixture& f, std::vector<std::int32_t>& cookies) {
             auto a = f.sink("a");
             a->during = [&f, &cookies] { EXPECT_EQ(f.point->Unadvise(cookies[0]), S_OK); };
             cookies = {f.advise(a), f.advise(f.sink("b"))};
         },
         {"a Closing", "b Closing", "b Closing"}},
        {"a sink unadvises a later one",
         [](Fixture& f, std::vector<std::int32_t>& cookies) {
             auto a = f.sink("a");
             // On the second delivery b is no longer advised, and Unadvise says so.
             a->during = [&f, &cookies] { ignoreResult(f.point->Unadvise(cookies[1])); };
             cookies = {f.advise(a), f.advise(f.sink("b")), f.advise(f.sink("c"))};
         },
         {"a Closing", "c Closing", "a Closing", "c Closing"}},
        {"a sink unadvises everyone",
         [](Fixture& f, std::vector<std::int32_t>&) {
             auto a = f.sink("a");
             a->during = [&f] { f.point->unadviseAll(); };
             f.advise(a);
             f.advise(f.sink("b"));
         },
         {"a Closing"}},
        {"a sink advises another, which hears the next event",
         [](Fixture& f, std::vector<std::int32_t>&) {
             auto a = f.sink("a");
             a->during = [&f, self = a.get()] {
                 self->during = nullptr;
                 f.advise(f.sink("late"));
             };
             f.advise(a);
         },
         {"a Closing", "a Closing", "late Closing"}},
    };
    for (const Case& c : cases) {
        Fixture f;
        std::vector<std::int32_t> cookies;
        c.setUp(f, cookies);
        f.point->fire(kClosing);
        f.point->fire(kClosing);
        EXPECT_EQ(f.log, c.expected) << c.name;
    }
}

TEST(ConnectionPoint, ASinkMayDropTheLastReferenceToThePointWhileItIsCalled)
{
    Fixture f;
    std::weak_ptr<ConnectionPoint> watched = f.point;
    auto a = f.sink("a");
    a->during = [&f] { f.point.reset(); };
    f.advise(a);
    f.advise(f.sink("b"));
    ConnectionPoint* const firing = f.point.get();
    firing->fire(kClosed);
    EXPECT_EQ(f.log, std::vector<std::string>({"a Closed", "b Closed"}));
    EXPECT_TRUE(watched.expired());
}

} // namespace
} // namespace quillbrook
