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

} // namespace
} // namespace quillbrook
