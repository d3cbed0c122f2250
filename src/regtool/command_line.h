// The command line of quillbrook-reg: an operation, its key or file, and its options.
#pragma once

#include "regtool/file_encoding.h"
#include "regtool/key_path.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillbrook::regtool {

enum class Operation { Usage, Query, Add, Delete, Export, Import };

// Which values an operation is about: /v NAME, /ve, /va, or none of them.
enum class ValueChoice { None, Named, Default, All };

struct RegCommand {
    Operation operation = Operation::Usage;
    std::string keyName; // as typed, for the prompts
    KeyPath key;
    ValueChoice value = ValueChoice::None;
    std::string valueName;                            // empty unless ValueChoice::Named
    bool recursive = false;                           // /s
    RegistryType type = REG_SZ;                       // /t
    std::string data;                                 // /d, already in the bytes to store
    bool force = false;                               // /f, or /y of export: no prompt
    std::string file;                                 // of export and import
    RegFileEncoding encoding = RegFileEncoding::Utf8; // of export; /utf16
};

struct ParsedCommandLine {
    RegCommand command;
    // The problem in plain words; empty for a good command line. When the operation itself is
    // missing or unknown, command.operation stays Usage so that the usage is shown with the error.
    std::string error;
};

// `arguments` excludes the program name. Options may start with '/' or '-', in any letter case.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string_view usageText();

} // namespace quillbrook::regtool
