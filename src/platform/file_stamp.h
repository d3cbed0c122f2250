// The stand-in for a file's 64-bit last-write time: what a session compares to tell whether the
// editor saved its file since it last looked. The modification time alone is not enough here: two
// saves within one timestamp tick share it, and an editor that saves by renaming a new file over
// the old one may carry an old time along. So the stamp also holds the size and the file's
// identity (device and inode), and stamps are compared whole.
#pragma once

#include "platform/win32_error.h"

#include <cstdint>
#include <string>

namespace quillbrook {

struct FileStamp {
    std::int64_t modifiedNanoseconds = 0; // since the epoch
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `path` (symbolic links followed), or the Win32 code of the failure.
Win32Result<FileStamp> fileStampOf(const std::string& path);
// The stamp of an open file.
Win32Result<FileStamp> fileStampOf(int descriptor);

} // namespace quillbrook
