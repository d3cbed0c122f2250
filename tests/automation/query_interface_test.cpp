#include "automation/facets.h"
#include "automation/member_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

// Two interfaces of one counter object: one reads the count, the other adds to it.
class IReadCount : public Dispatchable {
public:
    virtual HRESULT get_Count(std::int32_t* value) = 0;
    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

class IAddCount : public Dispatchable {
public:
    virtual HRESULT Add(std::int32_t amount) = 0;
    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

constexpr auto kReadMembers = memberTable(propertyGet<&IReadCount::get_Count>(u"Count", 1, u"count"));
constexpr InterfaceInfo kIReadCount{u"IReadCount", *Guid::parse("{0A000000-0000-0000-0000-000000000001}"), u"read",
                                    true, kReadMembers};
constexpr auto kAddMembers = memberTable(method<&IAddCount::Add>(u"Add", 1, {{u"amount"}}, u"add"));
constexpr InterfaceInfo kIAddCount{u"IAddCount", *Guid::parse("{0A000000-0000-0000-0000-000000000002}"), u"add", true,
                                   kAddMembers};
constexpr Guid kUnansweredIid = *Guid::parse("{0A000000-0000-0000-0000-000000000003}");

const InterfaceInfo& IReadCount::typeInfo() const
{
    return kIReadCount;
}
const InterfaceInfo& IReadCount::interfaceInfo()
{
    return kIReadCount;
}
const InterfaceInfo& IAddCount::typeInfo() const
{
    return kIAddCount;
}
const InterfaceInfo& IAddCount::interfaceInfo()
{
    return kIAddCount;
}

class PlainCounter final : public IReadCount {
public:
    HRESULT get_Count(std::int32_t* value) override
    {
        *value = 7;
        return S_OK;
    }
};

class Counter final : public FacetedObject {
public:
    std::int32_t count = 0;
    int facetsCreated = 0;

protected:
    Guid canonicalInterface() const override { return IReadCount::interfaceInfo().iid; }
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;
};

class ReadFacet final : public Facet<IReadCount, Counter> {
public:
    using Facet::Facet;
    HRESULT get_Count(std::int32_t* value) override
    {
        *value = state().count;
        return S_OK;
    }
};

class AddFacet final : public Facet<IAddCount, Counter> {
public:
    using Facet::Facet;
    HRESULT Add(std::int32_t amount) override
    {
        state().count += amount;
        return S_OK;
    }
};

std::shared_ptr<Dispatchable> Counter::createFacet(const Guid& iid)
{
    ++facetsCreated;
    if (iid == IReadCount::interfaceInfo().iid)
        return std::make_shared<ReadFacet>(sharedSelf<Counter>());
    if (iid == IAddCount::interfaceInfo().iid)
        return std::make_shared<AddFacet>(sharedSelf<Counter>());
    return nullptr;
}

std::shared_ptr<Dispatchable> query(const std::shared_ptr<Dispatchable>& object, const Guid& iid, HRESULT expected)
{
    std::shared_ptr<Dispatchable> answer = std::make_shared<PlainCounter>();
    EXPECT_EQ(object->QueryInterface(iid, &answer), expected) << iid.toString();
    if (FAILED(expected)) {
        EXPECT_EQ(answer, nullptr) << iid.toString() << ": a refused query leaves no object";
    }
    return answer;
}

TEST(QueryInterface, APlainObjectAnswersItsOwnInterfaceIDispatchAndIUnknownWithItself)
{
    const std::shared_ptr<Dispatchable> object = std::make_shared<PlainCounter>();
    struct Case {
        Guid iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {IReadCount::interfaceInfo().iid, S_OK},
        {*Guid::parse("{00020400-0000-0000-C000-000000000046}"), S_OK},
        {*Guid::parse("{00000000-0000-0000-C000-000000000046}"), S_OK},
        {IAddCount::interfaceInfo().iid, E_NOINTERFACE},
        {Guid{}, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        const auto answer = query(object, c.iid, c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(answer, object) << c.iid.toString();
        }
    }
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(queryInterface<IReadCount>(object), object);
    EXPECT_EQ(queryInterface<IAddCount>(object), nullptr);
    EXPECT_EQ(queryInterface<IReadCount>(nullptr), nullptr);
}

TEST(QueryInterface, AnObjectNoSharedPtrOwnsCannotHandItselfOut)
{
    PlainCounter unowned;
    std::shared_ptr<Dispatchable> answer;
    EXPECT_EQ(unowned.QueryInterface(IID_IUnknown, &answer), E_FAIL);
    EXPECT_EQ(answer, nullptr);
}

TEST(QueryInterface, EveryFacetAnswersEveryInterfaceOfItsObjectAndSharesItsState)
{
    auto counter = std::make_shared<Counter>();
    const std::shared_ptr<Dispatchable> reader = counter->identity();
    const auto adder = query(reader, IAddCount::interfaceInfo().iid, S_OK);
    ASSERT_NE(std::dynamic_pointer_cast<IAddCount>(adder), nullptr);

    for (const auto& facet : {reader, adder}) {
        const std::string which = QStringView(facet->typeInfo().name).toString().toStdString();
        EXPECT_EQ(query(facet, IID_IUnknown, S_OK), reader) << which << ": one identity";
        EXPECT_EQ(query(facet, IID_IDispatch, S_OK), reader) << which;
        EXPECT_EQ(query(facet, IReadCount::interfaceInfo().iid, S_OK), reader) << which;
        EXPECT_EQ(query(facet, IAddCount::interfaceInfo().iid, S_OK), adder) << which;
        query(facet, kUnansweredIid, E_NOINTERFACE);
    }

    const std::vector<Variant> amount = {Variant::fromI4(5)};
    ASSERT_EQ(adder->invokeByName(u"Add", DispatchFlags::Method, amount, nullptr), S_OK);
    Variant count;
    ASSERT_EQ(reader->invokeByName(u"Count", DispatchFlags::PropertyGet, {}, &count), S_OK);
    EXPECT_EQ(count, Variant::fromI4(5));
    EXPECT_EQ(reader->invokeByName(u"Add", DispatchFlags::Method, amount, nullptr), DISP_E_UNKNOWNNAME)
        << "a facet's dispatch is its own interface's";
}

TEST(QueryInterface, AFacetLivesWhileHeldAndTheObjectWhileAnyFacetIs)
{
    const Guid readIid = IReadCount::interfaceInfo().iid;
    std::weak_ptr<Counter> watched;
    std::shared_ptr<Dispatchable> adder;
    {
        auto counter = std::make_shared<Counter>();
        watched = counter;
        adder = query(counter->identity(), IAddCount::interfaceInfo().iid, S_OK);
    }
    ASSERT_FALSE(watched.expired()) << "a held facet keeps its object";
    EXPECT_EQ(watched.lock()->facetsCreated, 2);

    std::shared_ptr<Dispatchable> reader = query(adder, readIid, S_OK);
    EXPECT_EQ(query(adder, readIid, S_OK), reader) << "a held facet is handed out again";
    EXPECT_EQ(watched.lock()->facetsCreated, 3) << "the first reader was dropped, so a new one was made";

    const std::weak_ptr<Dispatchable> watchedReader = reader;
    adder.reset();
    EXPECT_FALSE(watched.expired());
    reader.reset();
    EXPECT_TRUE(watchedReader.expired());
    EXPECT_TRUE(watched.expired()) << "no facet held: the object is gone";
}

} // namespace
} // namespace quillbrook
