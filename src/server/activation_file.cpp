#include "server/activation_file.h"

#include "automation/bus_activation.h"
#include "automation/bus_contract.h"
#include "platform/folders.h"
#include "server/registry_entries.h"

namespace quillbrook {

std::string activationFilePath(const std::string& dataFolder)
{
    return joinPath(joinPath(dataFolder, "dbus-1/services"), std::string(bus::kServiceName) + ".service");
}

std::string activationFileText(const std::string& programPath)
{
    // Inside double quotes the daemon's parser takes a backslash before these as the character itself.
    std::string quoted = "\"";
    for (const char c : programPath) {
        if (c == '"' || c == '\\' || c == '$' || c == '`')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return std::string("[D-BUS Service]\nName=") + bus::kServiceName + "\nExec=" + quoted + " " + bus::kEmbeddingSwitch
           + "\n";
}

[[nodiscard]] Win32Error writeActivationFile(const std::string& dataFolder, const std::string& programPath)
{
    return writeTextFile(activationFilePath(dataFolder), activationFileText(programPath));
}

[[nodiscard]] Win32Error removeActivationFile(const std::string& dataFolder)
{
    return removeFile(activationFilePath(dataFolder));
}

} // namespace quillbrook
