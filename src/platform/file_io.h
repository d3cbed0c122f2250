// Whole reads and writes on a file descriptor, as the original's single ReadFile and WriteFile
// calls did them: retried across interruptions and short transfers; and whole files read and
// replaced without following links.
#pragma once

#include "platform/win32_error.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace quillbrook {

// What reading a file of 4 GiB or more gives: the original read a whole file in one call whose
// size has 32 bits.
inline constexpr HRESULT kFileTooLarge = static_cast<HRESULT>(0x80070065u);

// Reads up to `size` bytes into `data`, fewer when the file ends first. The error of a failed read
// names `path` for the Win32 code; a buffer that cannot be had is ERROR_OUTOFMEMORY.
[[nodiscard]] Win32Error readUpTo(int fd, std::size_t size, std::string& data, const std::string& path);
// Writes all of `data`.
[[nodiscard]] Win32Error writeAll(int fd, std::string_view data, const std::string& path);
// The whole of the regular file at `path`, at most `limit` bytes of it; a link is not followed
// (the error of ELOOP) and anything but a regular file is
// ERROR_FILE_NOT_FOUND.
Win32Result<std::string> readRegularFile(const std::string& path, std::size_t limit = static_cast<std::size_t>(-1));
// Makes the regular file at `path` hold `data`: written as a new private file (0600) in the same
// folder and renamed over the old one, so that the old contents stay whole until the new ones are
// all written, and whatever else has a hold on the old file (another link, an editor) never sees
// the new. A link at `path` is refused and left as it is (the error of ELOOP), never written
// through; anything else there that is no regular file is ERROR_ACCESS_DENIED.
[[nodiscard]] Win32Error replaceRegularFile(const std::string& path, std::string_view data);

} // namespace quillbrook
