// Results as 8-bit exit statuses: success is 0 and no failure ever looks like it.
#include "program/exit_status.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdint>

namespace quillbrook {
namespace {

struct StatusCase {
    std::uint32_t result;
    int expected;

    friend void PrintTo(const StatusCase& c, std::ostream* out) { *out << std::hex << "0x" << c.result; }
};

class ExitStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ExitStatus, IsZeroForSuccessAndTheLowByteOrOneForFailure)
{
    EXPECT_EQ(exitStatusFor(static_cast<HRESULT>(GetParam().result)), GetParam().expected)
        << std::hex << GetParam().result;
}

INSTANTIATE_TEST_SUITE_P(Cases, ExitStatus,
                         ::testing::Values(StatusCase{0x00000000u, 0},    // S_OK
                                           StatusCase{0x00000001u, 0},    // S_FALSE
                                           StatusCase{0x00040000u, 0},    // any other success code
                                           StatusCase{0x80070005u, 5},    // access denied
                                           StatusCase{0x80004005u, 5},    // E_FAIL
                                           StatusCase{0x80040154u, 0x54}, // REGDB_E_CLASSNOTREG
                                           StatusCase{0x8002801Cu, 0x1C}, // TYPE_E_REGISTRYACCESS
                                           StatusCase{0x80070715u, 0x15}, // no registration script
                                           StatusCase{0x80070100u, 1},    // low byte 0
                                           StatusCase{0x80000000u, 1}, StatusCase{0xFFFFFFFFu, 255})); // -1

} // namespace
} // namespace quillbrook
