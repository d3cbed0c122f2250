// Texts that break codecs and buses, each taken the whole way with the real processes: the page's
// value through the host's JSON, the bus and the server into the temporary file, then an editor's
// save back through the server, the bus and the host to the page, for every code page.
#include "host_fixture.h"
#include "service/code_units.h"

#include <QtEndian>

namespace quillbrook::testing {
namespace {

struct HostileText {
    const char* name;
    QString text;
};

std::vector<HostileText> hostileTexts()
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    // Enough emoji to pass 1 MB in every encoding, so that the host's parts of at most 1 MB of
    // JSON are cut between the units of a pair wherever they are cut.
    const QString manyEmoji = emoji.repeated(300'000);
    return {
        {"a leading U+FEFF", units({0xFEFF}) + QString::fromUtf8("BOM first, caf\xC3\xA9")},
        {"U+FEFF, an emoji and CR LF first", units({0xFEFF}) + emoji + QStringLiteral("\r\nafter")},
        {"emoji at the start and the end", emoji + QStringLiteral(" between ") + emoji},
        {"CR LF mixes", QStringLiteral("CR LF\r\nLF\nCR\rtwo\r\n\r\n\n\rend\r")},
        {"Japanese", QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE8\xA6\x8B\xE5\x87\xBA"
                                       "\xE3\x81\x97\xE3\x80\x81\xE3\x81\x8B\xE3\x81\xAA\xE3\x80\x82")},
        {"over 1 MB of emoji", manyEmoji + QStringLiteral("end")},
    };
}

// The temporary file's bytes for `text`: UTF-16 little-endian for 1201, standard UTF-8 for 65001
// and for the process charset (C.UTF-8 here).
std::string fileBytes(const QString& text, int codePage)
{
    if (codePage != 1201) {
        const QByteArray utf8 = text.toUtf8();
        return utf8.toStdString();
    }
    std::string bytes(static_cast<size_t>(text.size()) * 2, '\0');
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

class TextPathTest : public BridgeHostTest, public ::testing::WithParamInterface<int> {
protected:
    // The server, started by the bus, reads and writes the process charset as UTF-8.
    void SetUp() override { setActivationEnvironment({{"LC_ALL", "C.UTF-8"}}); }

    // The next value the host writes to the page, its parts joined.
    std::optional<QString> nextValue(HostProcess& host)
    {
        QString joined;
        while (const auto part = host.receive()) {
            if (part->value(u"type").toString() != u"setValue")
                continue;
            joined += part->value(u"text").toString();
            if (!part->value(u"more").toBool())
                return joined;
        }
        return std::nullopt;
    }
};

TEST_P(TextPathTest, EveryHostileTextArrivesExactlyBothWays)
{
    const int codePage = GetParam();
    saveQuillbrookEntry(QUILLBROOK_TEST_EDITOR, {}, codePage);
    HostProcess host(root());
    ASSERT_TRUE(host.started());
    host.send(hello());
    ASSERT_TRUE(host.receive()) << host.errorOutput();

    int command = 0;
    fs::path file;
    for (const HostileText& c : hostileTexts()) {
        SCOPED_TRACE(c.name);
        const QString page = QStringLiteral("page-%1").arg(++command);
        const fs::path previousFile = file;
        host.send(runMessage(command, kLabel, c.text, page));
        ASSERT_EQ(host.receive(), result(command, S_OK)) << host.errorOutput();
        // Each editor starts its log afresh with its arguments, the temporary file (a .txt) last;
        // until then the log is the last editor's, or holds only the first arguments.
        ASSERT_TRUE(runEventLoopUntil([&] {
            const auto lines = editor_.loggedLines();
            return !lines.empty() && fs::path(lines.back()).extension() == ".txt" && lines.back() != previousFile;
        })) << "the editor did not start";
        file = editor_.loggedLines().back();
        EXPECT_TRUE(readWholeFile(file) == fileBytes(c.text, codePage)) << "the temporary file differs";

        // The save keeps the text's first and last characters where they were.
        const QString saved = c.text + QStringLiteral("\r\nsaved\r\n") + c.text;
        editor_.renameOver(fileBytes(saved, codePage));
        std::optional<QString> value;
        // A repeated write of the text as it was may come first.
        for (int tries = 0; tries < 3 && value != saved; ++tries)
            value = nextValue(host);
        ASSERT_TRUE(value) << host.errorOutput();
        EXPECT_TRUE(*value == saved) << "the page got " << value->size() << " units, not " << saved.size();

        host.send({{QStringLiteral("type"), QStringLiteral("unload")}, {QStringLiteral("page"), page}});
        editor_.exit();
        // The next editor reads the same control: this one must have read all it was sent.
        ASSERT_TRUE(runEventLoopUntil([&] { return editor_.ended(); })) << "the editor did not end";
        ASSERT_TRUE(runEventLoopUntil([&] { return !fs::exists(file); })) << file << " was not deleted";
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, TextPathTest, ::testing::Values(65001, 1201, 1),
                         [](const ::testing::TestParamInfo<int>& code) {
                             return "CodePage" + std::to_string(code.param);
                         });

} // namespace
} // namespace quillbrook::testing
