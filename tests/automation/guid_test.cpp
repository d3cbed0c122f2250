#include "automation/guid.h"

#include <gtest/gtest.h>

namespace quillbrook {
namespace {

TEST(TypeInfoGuid, ParsesEitherCaseAndFormatsUpperCase)
{
    constexpr auto parsed = Guid::parse("{00112233-4455-6677-8899-aabbccddeeff}");
    static_assert(parsed.has_value());
    EXPECT_EQ(parsed->data1, 0x00112233u);
    EXPECT_EQ(parsed->data2, 0x4455u);
    EXPECT_EQ(parsed->data3, 0x6677u);
    EXPECT_EQ(parsed->data4[0], 0x88u);
    EXPECT_EQ(parsed->data4[7], 0xFFu);
    EXPECT_EQ(parsed->toString(), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    EXPECT_EQ(Guid::parse(parsed->toString()), parsed);
}

TEST(TypeInfoGuid, RejectsAnythingButTheBracedForm)
{
    for (const char* text : {
             "00112233-4455-6677-8899-AABBCCDDEEFF",    // no braces
             "{00112233-4455-6677-8899-AABBCCDDEEF}",   // one digit short
             "{00112233-4455-6677-8899-AABBCCDDEEFF0}", // one digit more
             "{00112233-4455-6677-8899AAABBCCDDEEFF}",  // dash moved
             "{0011223G-4455-6677-8899-AABBCCDDEEFF}",  // not hex
             "",
         })
        EXPECT_FALSE(Guid::parse(text).has_value()) << text;
}

} // namespace
} // namespace quillbrook
