// Result codes as the original platform defines them. Scripts and the browser see HRESULTs;
// below the automation boundary every failure is a Win32 error code, and an HRESULT is made from
// it in one place (HRESULT_FROM_WIN32).
#pragma once

#include <cstdint>
#include <filesystem>

namespace quillbrook {

using HRESULT = std::int32_t;
using Win32Error = std::uint32_t;

// Win32 error codes the system produces.
inline constexpr Win32Error ERROR_SUCCESS = 0;
inline constexpr Win32Error ERROR_FILE_NOT_FOUND = 2;
inline constexpr Win32Error ERROR_PATH_NOT_FOUND = 3;
inline constexpr Win32Error ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr Win32Error ERROR_ACCESS_DENIED = 5;
inline constexpr Win32Error ERROR_INVALID_HANDLE = 6;
inline constexpr Win32Error ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr Win32Error ERROR_OUTOFMEMORY = 14;
inline constexpr Win32Error ERROR_GEN_FAILURE = 31;
inline constexpr Win32Error ERROR_SHARING_VIOLATION = 32;
inline constexpr Win32Error ERROR_LOCK_VIOLATION = 33;
inline constexpr Win32Error ERROR_HANDLE_DISK_FULL = 39;
inline constexpr Win32Error ERROR_FILE_EXISTS = 80;
inline constexpr Win32Error ERROR_INVALID_PARAMETER = 87;
inline constexpr Win32Error ERROR_DISK_FULL = 112;
inline constexpr Win32Error ERROR_INVALID_NAME = 123;
inline constexpr Win32Error ERROR_DIR_NOT_EMPTY = 145;
inline constexpr Win32Error ERROR_BAD_PATHNAME = 161;
inline constexpr Win32Error ERROR_ALREADY_EXISTS = 183;
inline constexpr Win32Error ERROR_BAD_EXE_FORMAT = 193;
inline constexpr Win32Error ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr Win32Error ERROR_MORE_DATA = 234;
inline constexpr Win32Error ERROR_NO_MORE_ITEMS = 259;
inline constexpr Win32Error ERROR_BADDB = 1009;
inline constexpr Win32Error ERROR_BADKEY = 1010;
inline constexpr Win32Error ERROR_CANTOPEN = 1011;
inline constexpr Win32Error ERROR_CANTREAD = 1012;
inline constexpr Win32Error ERROR_CANTWRITE = 1013;
inline constexpr Win32Error ERROR_KEY_DELETED = 1018;

// HRESULTs the system produces.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000Fu);

// Marks a result that is not looked at on purpose; the reason stands beside the call.
template <class Result>
constexpr void ignoreResult(const Result&)
{}

constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}

// A Win32 code e > 0 becomes 0x80070000 | (e & 0xFFFF); any other value is used unchanged.
[[nodiscard]] constexpr HRESULT HRESULT_FROM_WIN32(Win32Error e)
{
    const auto asSigned = static_cast<std::int32_t>(e);
    if (asSigned <= 0)
        return asSigned;
    return static_cast<HRESULT>(0x80070000u | (e & 0xFFFFu));
}

// The Win32 code that the same failure has on the original platform. ENOENT is "file not found"
// when the folder of `path` exists and "path not found" when it does not; pass no path when the
// failure is not about a file.
[[nodiscard]] Win32Error win32ErrorFromErrno(int err, const std::filesystem::path& path = {});

// The HRESULT of a failed system call: HRESULT_FROM_WIN32 of the Win32 code of `err`.
[[nodiscard]] inline HRESULT hresultFromErrno(int err, const std::filesystem::path& path = {})
{
    return HRESULT_FROM_WIN32(win32ErrorFromErrno(err, path));
}

// A Win32 code carried with a value: the value is meaningful only when error() is ERROR_SUCCESS.
template <class T>
class [[nodiscard]] Win32Result {
public:
    Win32Result(T value) : value_(std::move(value)) {}
    Win32Result(Win32Error error) : error_(error) {}

    bool ok() const { return error_ == ERROR_SUCCESS; }
    [[nodiscard]] Win32Error error() const { return error_; }
    T& value() & { return value_; }
    const T& value() const& { return value_; }
    T&& value() && { return std::move(value_); }

private:
    T value_{};
    Win32Error error_ = ERROR_SUCCESS;
};

} // namespace quillbrook
