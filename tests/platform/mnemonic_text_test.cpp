#include "platform/mnemonic_text.h"

#include <gtest/gtest.h>

namespace quillbrook {
namespace {

TEST(MnemonicText, DropsTheMnemonicAndKeepsDoubledAmpersandsAsOne)
{
    EXPECT_EQ(withoutMnemonicMarks(QStringLiteral("Edit in &Kate")), u"Edit in Kate");
    EXPECT_EQ(withoutMnemonicMarks(QStringLiteral("Fish && &Chips")), u"Fish & Chips");
    EXPECT_EQ(withoutMnemonicMarks(QStringLiteral("&&&a&")), u"&a");
    EXPECT_EQ(withoutMnemonicMarks(QStringLiteral("Plain")), u"Plain");
}

} // namespace
} // namespace quillbrook
