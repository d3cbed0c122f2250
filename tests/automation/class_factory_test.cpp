#include "automation/class_factory.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>

namespace quillbrook {
namespace {

constexpr InterfaceInfo kIWidget{
    u"IWidget", *Guid::parse("{0B000000-0000-0000-0000-000000000001}"), u"widget", true, {}};
constexpr Guid kUnansweredIid = *Guid::parse("{0B000000-0000-0000-0000-000000000002}");
constexpr ClassInfo kWidgetClass{u"CWidget",       *Guid::parse("{0B000000-0000-0000-0000-0000000000C1}"),
                                 u"Widget Class",  u"Test.Widget",
                                 u"Test.Widget.1", u"CWidget Object",
                                 &kIWidget,        nullptr};
constexpr Guid kUnknownClsid = *Guid::parse("{0B000000-0000-0000-0000-0000000000FF}");

// Tells which registration made it.
class Widget final : public Dispatchable {
public:
    explicit Widget(std::string madeBy) : maker(std::move(madeBy)) {}
    const InterfaceInfo& typeInfo() const override { return kIWidget; }
    const std::string maker;
};

ClassRegistration registerWidget(const std::string& maker)
{
    return registerClass(kWidgetClass, [maker] { return std::make_shared<Widget>(maker); });
}

// The maker of a new widget by class id; nullopt when none was made.
std::optional<std::string> makerOfNewWidget()
{
    std::shared_ptr<Dispatchable> object;
    if (FAILED(createInstance(kWidgetClass.clsid, IID_IUnknown, &object)))
        return std::nullopt;
    return static_cast<const Widget&>(*object).maker;
}

TEST(ClassFactory, UnregisteredClassesAreRefusedWithTheBrokersCodes)
{
    const ClassRegistration widgets = registerWidget("first");
    std::shared_ptr<Dispatchable> object = std::make_shared<Widget>("stale");
    EXPECT_EQ(createInstance(kUnknownClsid, IID_IUnknown, &object), static_cast<HRESULT>(0x80040154u));
    EXPECT_EQ(object, nullptr);
    for (const char16_t* progId : {u"Test.Gadget", u"", u"Test.Widget.2", u"CWidget"}) {
        object = std::make_shared<Widget>("stale");
        EXPECT_EQ(createInstance(QStringView(progId), IID_IUnknown, &object), CO_E_CLASSSTRING);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(findClass(QStringView(progId)), nullptr);
    }
    EXPECT_EQ(findClass(kUnknownClsid), nullptr);
    EXPECT_EQ(createInstance(kWidgetClass.clsid, IID_IUnknown, nullptr), E_POINTER);
}

TEST(ClassFactory, CreatesByClassIdOrEitherProgIdAskingForTheInterface)
{
    const ClassRegistration widgets = registerWidget("first");
    std::shared_ptr<Dispatchable> first;
    std::shared_ptr<Dispatchable> second;
    ASSERT_EQ(createInstance(kWidgetClass.clsid, kIWidget.iid, &first), S_OK);
    ASSERT_EQ(createInstance(kWidgetClass.clsid, IID_IDispatch, &second), S_OK);
    EXPECT_NE(first, second) << "every creation makes a new object";
    EXPECT_EQ(findClass(kWidgetClass.clsid), &kWidgetClass);
    for (const char16_t* progId : {u"Test.Widget", u"Test.Widget.1", u"TEST.widget", u"test.WIDGET.1"}) {
        std::shared_ptr<Dispatchable> object;
        EXPECT_EQ(createInstance(QStringView(progId), IID_IUnknown, &object), S_OK);
        EXPECT_NE(object, nullptr);
        EXPECT_EQ(findClass(QStringView(progId)), &kWidgetClass);
    }
    EXPECT_EQ(createInstance(kWidgetClass.clsid, kUnansweredIid, &first), E_NOINTERFACE);
    EXPECT_EQ(first, nullptr);
}

TEST(ClassFactory, AClassThatCannotMakeAnObjectGivesOutOfMemory)
{
    for (const bool throws : {false, true}) {
        const ClassRegistration failing = registerClass(kWidgetClass, [throws]() -> std::shared_ptr<Dispatchable> {
            if (throws)
                throw std::bad_alloc();
            return nullptr;
        });
        std::shared_ptr<Dispatchable> object;
        EXPECT_EQ(createInstance(kWidgetClass.clsid, IID_IUnknown, &object), E_OUTOFMEMORY) << throws;
        EXPECT_EQ(createInstance(u"Test.Widget", IID_IUnknown, &object), E_OUTOFMEMORY) << throws;
    }
}

TEST(ClassFactory, ARegistrationLastsAsLongAsItsOwnerAndTheNewestAnswers)
{
    {
        const ClassRegistration widgets = registerWidget("scoped");
        EXPECT_EQ(makerOfNewWidget(), "scoped");
    }
    EXPECT_EQ(makerOfNewWidget(), std::nullopt);

    ClassRegistration moved = registerWidget("moved");
    std::optional<ClassRegistration> taker(std::move(moved));
    EXPECT_EQ(makerOfNewWidget(), "moved") << "moving keeps the class registered";
    moved = ClassRegistration();
    EXPECT_EQ(makerOfNewWidget(), "moved") << "the moved-from object holds nothing";
    taker->revoke();
    EXPECT_EQ(makerOfNewWidget(), std::nullopt);

    const ClassRegistration older = registerWidget("older");
    ClassRegistration newer = registerWidget("newer");
    EXPECT_EQ(makerOfNewWidget(), "newer");
    newer = registerWidget("newest");
    EXPECT_EQ(makerOfNewWidget(), "newest");
    newer = ClassRegistration();
    EXPECT_EQ(makerOfNewWidget(), "older") << "the older registration answers again";
}

} // namespace
} // namespace quillbrook
