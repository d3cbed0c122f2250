#include "program/registration_switch.h"

namespace quillbrook {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `text` starts with the word `word`, letters compared without regard to case.
bool startsWithWord(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (upper(text[i]) != upper(word[i]))
            return false;
    }
    return text.size() == word.size() || isBlank(text[word.size()]);
}

} // namespace

std::string joinCommandLine(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (i > 0)
            line += ' ';
        if (argument.empty() || argument.find_first_of(" \t") != std::string_view::npos)
            line.append("\"").append(argument).append("\"");
        else
            line += argument;
    }
    return line;
}

RegistrationSwitch findRegistrationSwitch(std::string_view commandLine)
{
    for (auto at = commandLine.find_first_of("-/"); at != std::string_view::npos;
         at = commandLine.find_first_of("-/", at + 1)) {
        const std::string_view token = commandLine.substr(at + 1);
        if (startsWithWord(token, "UnregServer"))
            return RegistrationSwitch::UnregServer;
        if (startsWithWord(token, "RegServer"))
            return RegistrationSwitch::RegServer;
    }
    return RegistrationSwitch::None;
}

} // namespace quillbrook
