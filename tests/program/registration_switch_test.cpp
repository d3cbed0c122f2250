// The command-line scan of quillbrook and brackenhop: switch spellings and where a word ends.
#include "program/registration_switch.h"

#include <gtest/gtest.h>

#include <ostream>

#include <vector>

namespace quillbrook {
namespace {

struct SwitchCase {
    const char* commandLine;
    RegistrationSwitch expected;

    friend void PrintTo(const SwitchCase& c, std::ostream* out) { *out << '[' << c.commandLine << ']'; }
};

class RegistrationSwitchScan : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(RegistrationSwitchScan, FindsTheFirstSwitch)
{
    EXPECT_EQ(findRegistrationSwitch(GetParam().commandLine), GetParam().expected) << GetParam().commandLine;
}

constexpr auto None = RegistrationSwitch::None;
constexpr auto Reg = RegistrationSwitch::RegServer;
constexpr auto Unreg = RegistrationSwitch::UnregServer;

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistrationSwitchScan,
    ::testing::Values(SwitchCase{"quillbrook /RegServer", Reg}, SwitchCase{"quillbrook -RegServer", Reg},
                      SwitchCase{"quillbrook /regserver", Reg}, SwitchCase{"quillbrook -REGSERVER", Reg},
                      SwitchCase{"quillbrook /rEgSeRvEr", Reg}, SwitchCase{"quillbrook /UnregServer", Unreg},
                      SwitchCase{"quillbrook -unregserver", Unreg}, SwitchCase{"quillbrook /UNREGSERVER", Unreg},
                      SwitchCase{"quillbrook /RegServer more", Reg}, SwitchCase{"quillbrook /RegServer\tmore", Reg},
                      SwitchCase{"quillbrook /RegServerX", None}, SwitchCase{"quillbrook /RegServer-x", None},
                      SwitchCase{"quillbrook /Reg Server", None}, SwitchCase{"quillbrook RegServer", None},
                      SwitchCase{"quillbrook /RegServer /UnregServer", Reg},
                      SwitchCase{"quillbrook -UnregServer -RegServer", Unreg},
                      SwitchCase{"quillbrook /Embedding /UnregServer", Unreg},
                      SwitchCase{"quillbrook --RegServer", Reg}, SwitchCase{"/usr/bin/quillbrook /RegServer", Reg},
                      SwitchCase{"\"/opt/regserver dir/quillbrook\"", Reg},
                      SwitchCase{"/usr/bin/quillbrook -Embedding", None}, SwitchCase{"quillbrook /", None},
                      SwitchCase{"quillbrook", None}, SwitchCase{"", None}));

TEST(JoinCommandLine, QuotesArgumentsWithBlanksOrNothingInThem)
{
    const std::vector<const char*> argv{"/usr/bin/quillbrook", "-Embedding", "a b", "tab\there", ""};
    EXPECT_EQ(joinCommandLine(static_cast<int>(argv.size()), argv.data()),
              "/usr/bin/quillbrook -Embedding \"a b\" \"tab\there\" \"\"");
}

TEST(JoinCommandLine, AQuotedArgumentIsNoSwitch)
{
    const std::vector<const char*> argv{"quillbrook", "x /RegServer"};
    EXPECT_EQ(findRegistrationSwitch(joinCommandLine(static_cast<int>(argv.size()), argv.data())),
              RegistrationSwitch::None);
}

} // namespace
} // namespace quillbrook
