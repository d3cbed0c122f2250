// What an entry's script asks for, recognised by the two shapes of script Quillbrook writes and
// never run: new ActiveXObject("Quillbrook.Service") with LoadFromMenuExt("<label>") and
// Register(...), or new ActiveXObject("Quillbrook.FileOpenService") with OpenFile(...).
#pragma once

#include <QString>
#include <string_view>

namespace quillbrook::bridge {

struct EntryScript {
    enum class Kind { Unknown, Register, OpenFile };
    Kind kind = Kind::Unknown;
    QString label; // for Register: the argument of LoadFromMenuExt
};

inline constexpr char kServiceProgId[] = "Quillbrook.Service";
inline constexpr char kFileOpenProgId[] = "Quillbrook.FileOpenService";

// `script` is the file's bytes; the label is taken as text in the process charset, in which
// Quillbrook writes it.
EntryScript recogniseEntryScript(std::string_view script);

} // namespace quillbrook::bridge
