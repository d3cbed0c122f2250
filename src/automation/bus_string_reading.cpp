// Qt's D-Bus module reads every string argument with QString::fromUtf8, which drops a leading
// byte-order mark: a text box whose value starts with U+FEFF would reach the server without it,
// and a property set to "\uFEFF..." would read back without it. D-Bus strings are plain UTF-8,
// where EF BB BF is the character U+FEFF like any other, so the program takes libdbus's string
// reading over: a string that starts with the mark is handed to Qt with one more in front, which
// is the one Qt drops. The linker keeps this definition in every program that links the room
// (see the room's CMakeLists.txt); programs export it, so Qt's calls come here.
#include <QString>

#include <dlfcn.h>

#include <cstring>
#include <string>

struct DBusMessageIter;

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr int StringType = 's';

using ReadBasic = void (*)(DBusMessageIter*, void*);
using ArgumentType = int (*)(DBusMessageIter*);

template <typename Function>
Function nextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// True while Qt drops the mark; a Qt that keeps it gets the strings as they are.
bool qtDropsALeadingMark()
{
    static const bool drops = QString::fromUtf8(ByteOrderMark).isEmpty();
    return drops;
}

} // namespace

extern "C" __attribute__((visibility("default"))) void dbus_message_iter_get_basic(DBusMessageIter* iter, void* value)
{
    static const auto readBasic = nextDefinition<ReadBasic>("dbus_message_iter_get_basic");
    static const auto argumentType = nextDefinition<ArgumentType>("dbus_message_iter_get_arg_type");
    const bool isString = argumentType(iter) == StringType;
    readBasic(iter, value);
    if (!isString)
        return;
    auto* text = static_cast<const char**>(value);
    if (std::strncmp(*text, ByteOrderMark, 3) != 0 || !qtDropsALeadingMark())
        return;
    // Qt copies the string before it reads the next one on this thread.
    thread_local std::string marked;
    marked.assign(ByteOrderMark).append(*text);
    *text = marked.c_str();
}
