#include "service/temporary_file_name.h"

#include "resources/string_table.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

using quillbrook::testing::ScopedLocale;

const LocalTime fixedTime{2024, 3, 5, 7, 8, 9, 45};

FileNameFacts pageFacts()
{
    return FileNameFacts{.title = QStringLiteral("Report: Q1/Q2"),
                         .url = QStringLiteral("http://www.example.com/dir/page.html"),
                         .formName = QStringLiteral("comment"),
                         .textBoxName = QStringLiteral("body"),
                         .sessionNumber = 5,
                         .localTime = fixedTime};
}

FileNameFacts withSession(std::int32_t session)
{
    FileNameFacts facts = pageFacts();
    facts.sessionNumber = session;
    return facts;
}

FileNameFacts withTitle(std::optional<QString> title)
{
    FileNameFacts facts = pageFacts();
    facts.title = std::move(title);
    return facts;
}

FileNameFacts withUrl(std::optional<QString> url)
{
    FileNameFacts facts = pageFacts();
    facts.url = std::move(url);
    return facts;
}

struct NameCase {
    const char* name;
    FileNameFacts facts;
    std::string nameTemplate;
    QString extension;
    std::string expected;
};

void expectNames(const std::vector<NameCase>& cases)
{
    for (const NameCase& c : cases)
        EXPECT_EQ(makeTemporaryFileName(c.facts, c.nameTemplate, c.extension), c.expected) << c.name;
}

const QString txt = QStringLiteral("txt");

TEST(TemporaryFileName, PlaceholderTableOrderAndTexts)
{
    const std::pair<std::string_view, std::u16string_view> expected[] = {
        {"title", u"HTML Title"},
        {"url", u"URL"},
        {"file", u"File Name"},
        {"form", u"NAME Value Of The Form"},
        {"textarea", u"NAME Value Of The TEXTAREA"},
        {"session", u"Unique Session ID"},
        {"timestamp", u"Timestamp"},
    };
    ASSERT_EQ(FileNamePlaceholders.size(), std::size(expected));
    for (size_t row = 0; row < std::size(expected); ++row) {
        EXPECT_EQ(FileNamePlaceholders[row].keyword, expected[row].first) << "row " << row;
        const unsigned id = FileNamePlaceholders[row].descriptionId;
        EXPECT_EQ(resourceText(id, ResourceLanguage::English), expected[row].second) << "row " << row;
    }
}

TEST(TemporaryFileName, ExpandsTemplates)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    expectNames({
        {"default template", withSession(12), "%title%,%session%", txt, "Report_ Q1_Q2,12.txt"},
        {"no session placeholder adds the suffix", pageFacts(), "%title%", txt, "Report_ Q1_Q2_5.txt"},
        {"no placeholder at all", pageFacts(), "plain", txt, "plain_5.txt"},
        {"keywords are case-sensitive", pageFacts(), "%Session%", txt, "%Session%_5.txt"},
        {"session twice, no suffix", pageFacts(), "%session%-%session%", txt, "5-5.txt"},
        {"lone percent drops the rest", pageFacts(), "a%b", txt, "a_5.txt"},
        {"two percent signs at the start", pageFacts(), "%%title%", txt, "%%title_5.txt"},
        {"empty keyword before a placeholder", pageFacts(), "%%%title%", txt, "%%Report_ Q1_Q2_5.txt"},
        {"unknown keyword", pageFacts(), "%name%x", txt, "%name%x_5.txt"},
        {"empty title is a value", withTitle(QString(QLatin1String(""))), "%title%x", txt, "x_5.txt"},
        {"no title", withTitle(std::nullopt), "%title%x", txt, "%title%x_5.txt"},
        {"null title counts as none", withTitle(QString()), "%title%", txt, "%title%_5.txt"},
        {"form and text box", pageFacts(), "%form%-%textarea%", txt, "comment-body_5.txt"},
        {"forbidden characters of the template", pageFacts(), "a\\b:c*d?e\"f<g>h|i/j", txt,
         "a_b_c_d_e_f_g_h_i_j_5.txt"},
        {"timestamp with milliseconds", pageFacts(), "%timestamp%", txt, "20240305070809045_5.txt"},
        {"session after the counter wrapped", withSession(std::numeric_limits<std::int32_t>::min()), "%session%", txt,
         "-2147483648.txt"},
    });
}

TEST(TemporaryFileName, FileAndUrlPlaceholders)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    const auto url = [](const char* text) { return withUrl(QString::fromUtf8(text)); };
    expectNames({
        {"page with extension", url("http://www.example.com/dir/page.html"), "%file%", txt, "page_5.txt"},
        {"script with query", url("http://www.example.com/bbs/post.cgi?id=3"), "%file%", txt, "post_5.txt"},
        {"no dot, ends with a slash", url("http://localhost/"), "%file%", txt, "index_5.txt"},
        {"dotted host, ends with a slash", url("http://www.example.com/"), "[%file%]", txt, "[]_5.txt"},
        {"last segment without a dot", url("http://www.example.com/dir/page"), "%file%", txt, "page_5.txt"},
        {"file name is sanitised", url("http://h/a?b=1.2"), "%file%", txt, "a_b=1_5.txt"},
        {"url is sanitised", url("http://h.org/a?b=1"), "%url%", txt, "http___h.org_a_b=1_5.txt"},
        {"no url", withUrl(std::nullopt), "%url%%file%", txt, "%url%%file%_5.txt"},
    });
}

TEST(TemporaryFileName, ExtensionIsAddedAfterSanitising)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    expectNames({
        {"plain", pageFacts(), "x", txt, "x_5.txt"},
        {"leading dot dropped", pageFacts(), "x", QStringLiteral(".txt"), "x_5.txt"},
        {"only one leading dot dropped", pageFacts(), "x", QStringLiteral("..txt"), "x_5..txt"},
        {"inner dot kept", pageFacts(), "x", QStringLiteral("tar.gz"), "x_5.tar.gz"},
        {"empty", pageFacts(), "x", QString(QLatin1String("")), "x_5."},
        {"null", pageFacts(), "x", QString(), "x_5."},
        {"forbidden characters stay", pageFacts(), "x", QStringLiteral("a/b:c"), "x_5.a/b:c"},
    });
}

TEST(TemporaryFileName, ValuesAreInTheProcessCharset)
{
    const FileNameFacts japanese = withTitle(QString::fromUtf8("メモ帳"));
    {
        ScopedLocale locale("C.UTF-8");
        ASSERT_TRUE(locale.ok());
        EXPECT_EQ(makeTemporaryFileName(japanese, "%title%", txt), "メモ帳_5.txt");
    }
    {
        // ASCII cannot hold the title: each character becomes '?', and so '_'.
        ScopedLocale locale("C");
        ASSERT_TRUE(locale.ok());
        EXPECT_EQ(makeTemporaryFileName(japanese, "%title%", txt), "____5.txt");
    }
}

std::string repeated(std::string_view text, std::size_t times)
{
    std::string result;
    for (std::size_t time = 0; time < times; ++time)
        result += text;
    return result;
}

QString utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

FileNameFacts withFormAndTextBox(const std::string& formName, const std::string& textBoxName)
{
    FileNameFacts facts = pageFacts();
    facts.formName = utf8(formName);
    facts.textBoxName = utf8(textBoxName);
    return facts;
}

TEST(TemporaryFileName, LongNamesGiveUpWholeCharactersOfTheFactsToFit)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    const std::string title = "%title%,%session%";
    const auto titled = [](const std::string& text) { return withTitle(utf8(text)); };
    // "é" is 2 bytes, "語" 3 and "😀" 4 (a surrogate pair in UTF-16); ",5.txt" leaves 249 bytes.
    expectNames({
        {"300 ASCII bytes", titled(std::string(300, 'a')), title, txt, std::string(249, 'a') + ",5.txt"},
        {"exactly the longest name is kept", titled(std::string(249, 'a')), title, txt,
         std::string(249, 'a') + ",5.txt"},
        {"one byte more is cut", titled(std::string(250, 'a')), title, txt, std::string(249, 'a') + ",5.txt"},
        {"130 two-byte characters", titled(repeated("é", 130)), title, txt, repeated("é", 124) + ",5.txt"},
        {"Japanese", titled(repeated("語", 90)), title, txt, repeated("語", 83) + ",5.txt"},
        {"an emoji at the cut", titled(std::string(247, 'a') + "😀b"), title, txt, std::string(247, 'a') + ",5.txt"},
        {"title twice", titled(std::string(200, 'a')), "%title%-%title%", txt,
         std::string(124, 'a') + "-" + std::string(124, 'a') + "_5.txt"},
        {"timestamp and literal text kept", titled(std::string(300, 'a')), "[%timestamp%] %title%", txt,
         "[20240305070809045] " + std::string(229, 'a') + "_5.txt"},
        {"extension kept", titled(std::string(300, 'a')), title, QStringLiteral("markdown"),
         std::string(244, 'a') + ",5.markdown"},
        {"a long url", withUrl(utf8("http://example.com/" + std::string(300, 'x') + ".html")), "%url%", txt,
         "http___example.com_" + std::string(230, 'x') + "_5.txt"},
        {"the title goes before the url", withUrl(utf8("http://h/" + std::string(300, 'x'))), "%title% %url%", txt,
         " http___h_" + std::string(239, 'x') + "_5.txt"},
        {"the url goes before the file name",
         withUrl(utf8("http://h/" + std::string(200, 'x') + "/" + std::string(200, 'y') + ".html")), "%url%%file%", txt,
         "http___h_" + std::string(40, 'x') + std::string(200, 'y') + "_5.txt"},
        {"the form goes before the text box", withFormAndTextBox(std::string(200, 'f'), std::string(300, 't')),
         "%form%%textarea%", txt, std::string(249, 't') + "_5.txt"},
    });
}

TEST(TemporaryFileName, NamesTooLongWithoutTheFactsAreLeftWhole)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    const std::string literal(300, 'x');
    expectNames({
        {"long literal text", pageFacts(), literal + "%title%", txt, literal + "Report_ Q1_Q2_5.txt"},
        {"long extension", pageFacts(), "%title%", utf8(std::string(260, 'e')),
         "Report_ Q1_Q2_5." + std::string(260, 'e')},
    });
}

TEST(TemporaryFileName, ShortenedNamesAreCutInTheProcessCharset)
{
    // ASCII holds no Japanese: each character is one byte ('?', and so '_').
    ScopedLocale locale("C");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(makeTemporaryFileName(withTitle(utf8(repeated("語", 300))), "%title%", txt),
              std::string(249, '_') + "_5.txt");
}

} // namespace
} // namespace quillbrook
