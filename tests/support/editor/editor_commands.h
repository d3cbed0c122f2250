// The commands the test editors take, one a line: "write HEX" replaces the file's content in
// place, "rename HEX" writes a new file and renames it over the old one (seen whole or not at
// all), "exit" ends the editor. HEX is the content as hexadecimal bytes, so that any byte can be
// written.
#pragma once

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

namespace quillbrook::testing {

inline std::string bytesFromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline bool saveWhole(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    return static_cast<bool>(file.flush());
}

// Carries out `line` on `file`. The editor's exit status when the command ends it: 0 for "exit",
// 3 when a write failed, 4 when a rename failed; nullopt when the editor goes on.
inline std::optional<int> performEditorCommand(const std::string& file, const std::string& line)
{
    const auto space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string content = space == std::string::npos ? std::string() : bytesFromHex(line.substr(space + 1));
    if (verb == "exit")
        return 0;
    if (verb == "write" && !saveWhole(file, content))
        return 3;
    if (verb == "rename") {
        const std::string fresh = file + ".new";
        if (!saveWhole(fresh, content) || std::rename(fresh.c_str(), file.c_str()) != 0)
            return 4;
    }
    return std::nullopt;
}

} // namespace quillbrook::testing
