#include "platform/win32_error.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

TEST(Win32Error, HresultFromWin32)
{
    struct Case {
        Win32Error code;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {ERROR_SUCCESS, 0},
        {ERROR_FILE_NOT_FOUND, 0x80070002u},
        {ERROR_ACCESS_DENIED, 0x80070005u},
        {ERROR_OUTOFMEMORY, 0x8007000Eu},
        {ERROR_KEY_DELETED, 0x800703FAu},
        {0x12345u, 0x80072345u},    // only the low 16 bits are kept
        {0x80004005u, 0x80004005u}, // already an HRESULT: used unchanged
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(c.code)), c.expected) << "code " << c.code;
}

TEST(Win32Error, FromErrno)
{
    testing::TemporaryHome home;
    const auto existingFolder = home.root() / "home";
    struct Case {
        int err;
        std::filesystem::path path;
        Win32Error expected;
    };
    const Case cases[] = {
        {ENOENT, existingFolder / "missing.txt", ERROR_FILE_NOT_FOUND},
        {ENOENT, existingFolder / "no-folder" / "missing.txt", ERROR_PATH_NOT_FOUND},
        {ENOENT, {}, ERROR_FILE_NOT_FOUND},
        {EEXIST, {}, ERROR_FILE_EXISTS},
        {EACCES, {}, ERROR_ACCESS_DENIED},
        {ENAMETOOLONG, {}, ERROR_FILENAME_EXCED_RANGE},
        {EINVAL, {}, ERROR_INVALID_NAME},
        {ENOSPC, {}, ERROR_DISK_FULL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win32ErrorFromErrno(c.err, c.path), c.expected) << "errno " << c.err << " " << c.path;
}

} // namespace
} // namespace quillbrook
