#include "recoverytool/recover_command.h"

#include "service/encodings.h"

#include <ctime>
#include <ostream>

namespace quillbrook {
namespace {

// The first line of a text, shortened, for a listing.
std::string preview(const QString& text)
{
    constexpr qsizetype kPreview = 48;
    QString line = text.section(QLatin1Char('\n'), 0, 0).simplified();
    if (line.size() > kPreview)
        line = line.left(kPreview - 1) + QChar(0x2026);
    return line.toStdString();
}

std::string localTime(std::int64_t seconds)
{
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

const char* reasonText(KeptBecause reason)
{
    switch (reason) {
    case KeptBecause::Undelivered: return "not delivered";
    case KeptBecause::SessionEnded: return "session ended";
    case KeptBecause::LeftBehind: return "left behind";
    case KeptBecause::SideFile: return "editor's side file";
    }
    return "";
}

// A text by its number in the listing (1 is the newest) or by its id.
Win32Result<RecoveredText> choose(const RecoveryStore& store, const std::string& which)
{
    if (!which.empty() && which.find_first_not_of("0123456789") == std::string::npos) {
        const std::vector<RecoveredText> texts = store.list();
        const unsigned long number = std::stoul(which);
        if (number == 0 || number > texts.size())
            return ERROR_FILE_NOT_FOUND;
        return texts[number - 1];
    }
    return store.find(which);
}

int list(const RecoveryStore& store, std::ostream& out)
{
    const std::vector<RecoveredText> texts = store.list();
    std::size_t number = 0;
    for (const RecoveredText& text : texts) {
        const auto bytes = store.bytesOf(text);
        const QString decoded = bytes.ok() ? bytesToText(bytes.value(), text.origin.codePage) : QString();
        const QString title = text.origin.title.isEmpty() ? text.origin.url : text.origin.title;
        out << ++number << '\t' << localTime(text.time) << '\t' << reasonText(text.reason) << '\t'
            << text.origin.menuItem.toStdString() << '\t' << title.toStdString() << '\t' << preview(decoded) << '\n';
    }
    return 0;
}

int show(const RecoveryStore& store, const std::string& which, bool raw, bool info, std::ostream& out,
         std::ostream& err)
{
    const auto text = choose(store, which);
    if (!text.ok()) {
        err << "quillbrook-recover: no kept text " << which << " (see quillbrook-recover list)\n";
        return kRecoverExitNotFound;
    }
    if (info) {
        const RecoveredText& t = text.value();
        out << "id: " << t.id << "\ntime: " << localTime(t.time) << "\nreason: " << reasonText(t.reason)
            << "\nmenu item: " << t.origin.menuItem.toStdString() << "\ntitle: " << t.origin.title.toStdString()
            << "\nurl: " << t.origin.url.toStdString() << "\ncode page: " << t.origin.codePage
            << "\nfile: " << t.textPath << '\n';
        if (!t.sideFile.isEmpty())
            out << "side file: " << t.sideFile.toStdString() << '\n';
        return 0;
    }
    const auto bytes = store.bytesOf(text.value());
    if (!bytes.ok()) {
        err << "quillbrook-recover: cannot read " << text.value().textPath << " (error " << bytes.error() << ")\n";
        return kRecoverExitNotFound;
    }
    if (raw)
        out << bytes.value();
    else
        out << bytesToText(bytes.value(), text.value().origin.codePage).toStdString();
    return out.flush() ? 0 : kRecoverExitNotFound;
}

} // namespace

const char kRecoverUsage[] =
    "usage: quillbrook-recover [list]\n"
    "       quillbrook-recover print [--raw] N|ID\n"
    "       quillbrook-recover info N|ID\n"
    "       quillbrook-recover folder\n"
    "\n"
    "Lists the texts Quillbrook kept (newest first, numbered from 1), prints one as UTF-8 (--raw:\n"
    "the bytes as the editor saved them), shows where one came from, or names the folder.\n";

int runRecoverCommand(const std::vector<std::string>& arguments, const RecoveryStore& store, std::ostream& out,
                      std::ostream& err)
{
    const std::string command = arguments.empty() ? "list" : arguments[0];
    if (command == "list" && arguments.size() <= 1)
        return list(store, out);
    if (command == "folder" && arguments.size() == 1) {
        out << store.folder() << '\n';
        return 0;
    }
    if (command == "print" && arguments.size() == 2)
        return show(store, arguments[1], false, false, out, err);
    if (command == "print" && arguments.size() == 3 && arguments[1] == "--raw")
        return show(store, arguments[2], true, false, out, err);
    if (command == "info" && arguments.size() == 2)
        return show(store, arguments[1], false, true, out, err);
    err << kRecoverUsage;
    return kRecoverExitUsage;
}

} // namespace quillbrook
