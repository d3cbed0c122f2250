// The host's pure pieces: recognising entry scripts, splitting values into setValue
// messages and cutting the browser's input into messages.
#include "bridge/host/entry_script.h"
#include "bridge/host/menu.h"
#include "bridge/host/native_messaging.h"
#include "bridge/host/value_parts.h"
#include "platform/file_io.h"
#include "resources/format_text.h"
#include "resources/script_template.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace quillbrook::bridge {
namespace {

std::string openFileScript()
{
    std::ifstream in(QUILLBROOK_OPEN_FILE_SCRIPT, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(EntryScript, RecognisesTheTwoScriptsQuillbrookWrites)
{
    const std::string label = "Edit in &K\xC3\xA4te (2)";
    const EntryScript service = recogniseEntryScript(formatText(menuScriptTemplate(), {label}));
    EXPECT_EQ(service.kind, EntryScript::Kind::Register);
    EXPECT_EQ(service.label, QString::fromUtf8(label.c_str()));

    const std::string openFile = openFileScript();
    ASSERT_FALSE(openFile.empty());
    EXPECT_EQ(recogniseEntryScript(openFile).kind, EntryScript::Kind::OpenFile);
}

TEST(EntryScript, AnythingElseIsUnknown)
{
    for (const char* script : {
             "",
             "<script>alert(1)</script>",
             "new ActiveXObject(\"Other.Service\"); srv.LoadFromMenuExt(\"x\"); srv.Register(e);",
             "new ActiveXObject(\"Quillbrook.Service.1\"); srv.LoadFromMenuExt(\"x\"); srv.Register(e);",
             "new ActiveXObject(\"Quillbrook.Service\"); srv.Register(e);",
             "new ActiveXObject(\"Quillbrook.Service\"); srv.LoadFromMenuExt(\"x\"); srv.Open(e);",
             "new ActiveXObject(\"Quillbrook.Service\"); srv.LoadFromMenuExt(\"unterminated; srv.Register(e);",
             "new ActiveXObject(\"Quillbrook.FileOpenService\"); srv.Register(e);",
             "new ActiveXObject(\"Quillbrook.FileOpenService",
         })
        EXPECT_EQ(recogniseEntryScript(script).kind, EntryScript::Kind::Unknown) << script;
}

TEST(ValueParts, EachMessageFitsTheLimitAndThePartsJoinToTheValue)
{
    QString value;
    for (int i = 0; value.size() < 5000; ++i)
        value += QString::fromUtf8("a\"\\\n\x01\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80 ") + QString::number(i);
    const std::size_t limit = 600;
    const auto messages = setValueMessages({41, QStringLiteral("p"), QStringLiteral("e")}, value, limit);
    ASSERT_GT(messages.size(), 5u);
    QString joined;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_LE(static_cast<std::size_t>(messages[i].size()), limit);
        const QJsonObject part = QJsonDocument::fromJson(messages[i]).object();
        EXPECT_EQ(part.value(u"type").toString(), u"setValue");
        EXPECT_EQ(part.value(u"request").toInteger(), 41);
        EXPECT_EQ(part.value(u"more").toBool(), i + 1 < messages.size());
        const QString text = part.value(u"text").toString();
        ASSERT_FALSE(text.isEmpty());
        EXPECT_FALSE(text.back().isHighSurrogate()) << "a surrogate pair was split";
        joined += text;
    }
    EXPECT_EQ(joined, value);
    // Raw UTF-8, not \u escapes, for characters beyond ASCII.
    EXPECT_TRUE(messages.front().contains("\xC3\xA9"));

    const auto empty = setValueMessages({1, QStringLiteral("p"), QStringLiteral("e")}, QString());
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(QJsonDocument::fromJson(empty[0]).object().value(u"more").toBool(true), false);

    // Names are escaped as the text is; a lone surrogate, which UTF-8 cannot carry, becomes U+FFFD.
    const auto odd = setValueMessages({2, QStringLiteral("p\"1"), QStringLiteral("e\\\t")},
                                      QString(QChar(0xD800)) + QStringLiteral("x\x7F"));
    ASSERT_EQ(odd.size(), 1u);
    const QJsonObject parsed = QJsonDocument::fromJson(odd[0]).object();
    EXPECT_EQ(parsed.value(u"page").toString(), QStringLiteral("p\"1"));
    EXPECT_EQ(parsed.value(u"element").toString(), QStringLiteral("e\\\t"));
    EXPECT_EQ(parsed.value(u"text").toString(), QString(QChar(0xFFFD)) + QStringLiteral("x\x7F"));
}

TEST(MessageReader, CutsMessagesAcrossReadsAndRefusesOversizedLengths)
{
    MessageReader reader;
    const QByteArray stream = frame("{\"a\":1}") + frame("{}");
    for (char byte : stream)
        reader.append(&byte, 1);
    EXPECT_EQ(reader.next(), QByteArray("{\"a\":1}"));
    EXPECT_EQ(reader.next(), QByteArray("{}"));
    EXPECT_FALSE(reader.next());
    EXPECT_EQ(reader.pending(), 0u);

    const std::uint32_t tooLong = kMaxBrowserMessage + 1;
    reader.append(reinterpret_cast<const char*>(&tooLong), sizeof tooLong);
    EXPECT_FALSE(reader.next());
    EXPECT_FALSE(reader.error().isEmpty());
}

// Browsers write U+FEFF into JSON as it is; a value that starts with one keeps it, wherever the
// string stands, and malformed JSON stays malformed.
TEST(MessageParsing, AByteOrderMarkInAStringIsACharacter)
{
    const QString mark(QChar(0xFEFF));
    QString error;
    const auto message = parseMessage("{\"value\":\"\xEF\xBB\xBF"
                                      "x\",\"list\":[\"a\",\"\xEF\xBB\xBF\"],"
                                      "\"escaped\":\"\\ufeffy\",\"inner\":\"a\xEF\xBB\xBF"
                                      "b\"}",
                                      error);
    ASSERT_TRUE(message) << error.toStdString();
    EXPECT_EQ(message->value(QLatin1String("value")).toString(), mark + u'x');
    EXPECT_EQ(message->value(QLatin1String("list")).toArray().at(1).toString(), mark);
    EXPECT_EQ(message->value(QLatin1String("escaped")).toString(), mark + u'y');
    EXPECT_EQ(message->value(QLatin1String("inner")).toString(), QStringLiteral("a") + mark + u'b');

    EXPECT_TRUE(parseMessage("\xEF\xBB\xBF{\"a\":1}", error));
    EXPECT_FALSE(parseMessage("{\"a\":\xEF\xBB\xBF"
                              "1}",
                              error));
}

} // namespace
} // namespace quillbrook::bridge
