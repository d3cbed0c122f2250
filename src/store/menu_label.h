// Which menu item labels can be stored. A label names a registry key and a script file; the
// original platform refused labels that could not be both, and here a label with a '/' or ".."
// would even reach outside the scripts folder.
#pragma once

#include <QString>
#include <cstddef>

namespace quillbrook {

// A registry key name holds at most this many bytes.
inline constexpr std::size_t kMaxLabelBytes = 255;

// True when the label, as stored (in the process charset), is not empty, at most kMaxLabelBytes
// bytes, not "." or "..", and holds none of \ / : * ? " < > | nor a control character (below
// 0x20, and 0x7F). A character that the charset cannot hold is stored as '?', so such a label is
// refused too.
bool isStorableLabel(const QString& label);

} // namespace quillbrook
