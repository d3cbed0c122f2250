// libFuzzer target for the registry file parser that `quillbrook-reg import` uses. The parser only
// builds a plan, so nothing touches a hive or the file system. Beyond not crashing, a plan must be
// either steps or one error, and every value it would set must come back unchanged through export.
#include "regtool/export_writer.h"
#include "regtool/import_plan.h"

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using quillbrook::regtool::ImportPlan;
using quillbrook::regtool::ImportStep;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkShape(const ImportPlan& plan)
{
    if (!plan.error.empty()) {
        require(plan.steps.empty() && plan.errorLine >= 1);
        return;
    }
    size_t previousLine = 1; // the header's
    for (const auto& step : plan.steps) {
        require(step.line > previousLine);
        previousLine = step.line;
    }
}

void checkValuesSurviveExport(const ImportPlan& plan)
{
    for (const auto& step : plan.steps) {
        if (step.action != ImportStep::Action::SetValue
            || !quillbrook::regtool::valueExportProblem("HKEY_CURRENT_USER", step.value).empty())
            continue;
        const std::string file = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER]\n"
                                 + quillbrook::regtool::exportValueLine(step.value) + "\n";
        const auto again = quillbrook::regtool::parseImportFile(file);
        require(again.error.empty() && again.steps.size() == 2);
        const auto& value = again.steps[1].value;
        require(value.name == step.value.name && value.type == step.value.type && value.data == step.value.data);
    }
}

} // namespace

// Names and strings are narrow in the process charset; UTF-8 is the one that matters.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto plan = quillbrook::regtool::parseImportFile({reinterpret_cast<const char*>(data), size});
    checkShape(plan);
    checkValuesSurviveExport(plan);
    return 0;
}
