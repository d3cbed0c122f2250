// `quillbrook-reg import`: a registry file is parsed whole into a plan first, so that a malformed
// file changes nothing; the plan is then applied to the hive step by step.
#pragma once

#include "regtool/key_path.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillbrook::regtool {

struct ImportStep {
    enum class Action {
        CreateKey,   // [KEY]: create when missing; the following values go there
        DeleteKey,   // [-KEY]: the key with everything below it
        SetValue,    // "name"=data
        DeleteValue, // "name"=-
    };

    Action action = Action::CreateKey;
    size_t line = 0;     // where the step is written, counting from 1
    KeyPath key;         // of CreateKey and DeleteKey
    RegistryValue value; // of SetValue; only the name for DeleteValue
};

struct ImportPlan {
    std::vector<ImportStep> steps;
    size_t errorLine = 0; // of a malformed file
    std::string error;    // the problem in plain words; empty when the file is good
};

// `content` is the whole file: UTF-8 with an optional byte order mark, or UTF-16LE with one;
// LF or CRLF line ends.
ImportPlan parseImportFile(std::string_view content);

struct ImportFailure {
    Win32Error error = ERROR_SUCCESS;
    size_t line = 0; // of the step that failed
};

// Stops at the first step that fails. Deleting a key or value that is not there is no failure.
ImportFailure applyImportPlan(const ImportPlan& plan);

} // namespace quillbrook::regtool
