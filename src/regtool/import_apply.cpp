#include "regtool/import_plan.h"

#include <array>
#include <optional>

namespace quillbrook::regtool {
namespace {

class PlanApplier {
public:
    ImportFailure apply(const ImportPlan& plan)
    {
        for (const auto& step : plan.steps) {
            if (const auto error = applyStep(step); error != ERROR_SUCCESS)
                return {error, step.line};
        }
        return {};
    }

private:
    using Action = ImportStep::Action;

    [[nodiscard]] Win32Error applyStep(const ImportStep& step)
    {
        switch (step.action) {
        case Action::CreateKey: return openSectionKey(step.key);
        case Action::DeleteKey: return deleteKey(step.key);
        case Action::SetValue: return current_.setValue(step.value.name, step.value.type, step.value.data);
        case Action::DeleteValue: {
            const auto error = current_.deleteValue(step.value.name);
            return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
        }
        }
        return ERROR_INVALID_PARAMETER;
    }

    [[nodiscard]] Win32Error openSectionKey(const KeyPath& key)
    {
        const auto root = openRoot(key.root);
        if (!root.ok())
            return root.error();
        auto opened = key.path.empty() ? root.value()->openSubKey({}, KEY_ALL_ACCESS)
                                       : root.value()->createSubKey(key.path, KEY_ALL_ACCESS);
        if (!opened.ok())
            return opened.error();
        current_ = std::move(opened).value();
        return ERROR_SUCCESS;
    }

    [[nodiscard]] Win32Error deleteKey(const KeyPath& key)
    {
        current_.close();
        const auto root = openRoot(key.root);
        if (!root.ok())
            return root.error();
        const auto error = root.value()->deleteTree(key.path);
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }

    // Each root is opened once for the whole plan.
    Win32Result<RegistryKey*> openRoot(HiveRoot root)
    {
        auto& slot = roots_[root == HiveRoot::CurrentUser ? 0 : 1];
        if (!slot) {
            auto opened = RegistryKey::openRoot(root, KEY_ALL_ACCESS);
            if (!opened.ok())
                return opened.error();
            slot = std::move(opened).value();
        }
        return &*slot;
    }

    std::array<std::optional<RegistryKey>, 2> roots_;
    RegistryKey current_;
};

} // namespace

ImportFailure applyImportPlan(const ImportPlan& plan)
{
    return PlanApplier().apply(plan);
}

} // namespace quillbrook::regtool
