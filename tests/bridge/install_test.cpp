// quillbrook-bridge --install, --uninstall and --install-to in a private home, and the callers the
// host refuses to serve.
#include "host_process.h"
#include "support/programs/program_run.h"
#include "support/temporary_home.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <filesystem>

namespace quillbrook::testing {
namespace {

namespace fs = std::filesystem;

QJsonObject manifestAt(const fs::path& file)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(readWholeFile(file))).object();
}

class BridgeInstall : public ::testing::Test {
protected:
    ProgramRun bridge(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> argv{bridgeProgram()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return runProgram(argv, home_.root());
    }

    TemporaryHome home_;
    const fs::path chromium_ =
        home_.root() / "config" / "chromium" / "NativeMessagingHosts" / "org.fernhollow.quillbrook.json";
    const fs::path chrome_ =
        home_.root() / "config" / "google-chrome" / "NativeMessagingHosts" / "org.fernhollow.quillbrook.json";
    const fs::path firefox_ =
        home_.root() / "home" / ".mozilla" / "native-messaging-hosts" / "org.fernhollow.quillbrook.json";
};

TEST_F(BridgeInstall, InstallWritesAManifestForEachBrowserAndUninstallRemovesThem)
{
    const auto installed = bridge({"--install"});
    ASSERT_EQ(installed.status, 0) << installed.err;
    EXPECT_TRUE(installed.out.empty());
    for (const fs::path& file : {chromium_, chrome_}) {
        const QJsonObject manifest = manifestAt(file);
        EXPECT_EQ(manifest.value(u"name").toString(), u"org.fernhollow.quillbrook") << file;
        EXPECT_EQ(manifest.value(u"type").toString(), u"stdio");
        EXPECT_EQ(manifest.value(u"path").toString().toStdString(), bridgeProgram());
        EXPECT_EQ(manifest.value(u"allowed_origins").toArray(),
                  QJsonArray{QStringLiteral("chrome-extension://bokigbajffmidppdblbannoobgdmdlld/")});
        EXPECT_FALSE(manifest.contains(u"allowed_extensions"));
    }
    const QJsonObject firefox = manifestAt(firefox_);
    EXPECT_EQ(firefox.value(u"path").toString().toStdString(), bridgeProgram());
    EXPECT_EQ(firefox.value(u"allowed_extensions").toArray(), QJsonArray{QStringLiteral("quillbrook@fernhollow.org")});

    const auto removed = bridge({"--uninstall"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_FALSE(fs::exists(chromium_) || fs::exists(chrome_) || fs::exists(firefox_));
    EXPECT_EQ(bridge({"--uninstall"}).status, 0) << "nothing to remove is no failure";
}

TEST_F(BridgeInstall, InstallToWritesOneManifestIntoTheFolderGiven)
{
    const fs::path folder = home_.root() / "profile" / "NativeMessagingHosts";
    const auto run = bridge({"--install-to", folder.string(), "--browser", "chromium"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(manifestAt(folder / "org.fernhollow.quillbrook.json").contains(u"allowed_origins"));
    EXPECT_FALSE(fs::exists(chromium_));

    const auto wrong = bridge({"--install-to", folder.string(), "--browser", "netscape"});
    EXPECT_NE(wrong.status, 0);
    EXPECT_NE(wrong.err.find("usage"), std::string::npos) << wrong.err;

    // A folder that cannot be made.
    const auto blocked =
        bridge({"--install-to", (home_.root() / "program.err" / "sub").string(), "--browser", "firefox"});
    EXPECT_NE(blocked.status, 0);
    EXPECT_FALSE(blocked.err.empty());
}

TEST_F(BridgeInstall, TheHostServesOnlyQuillbrooksExtension)
{
    for (const std::vector<std::string>& caller :
         {std::vector<std::string>{"chrome-extension://aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/"},
          std::vector<std::string>{(home_.root() / "x.json").string(), "someone@else.org"}}) {
        const auto refused = bridge(caller);
        EXPECT_NE(refused.status, 0) << caller.front();
        EXPECT_NE(refused.err.find("only Quillbrook's extension"), std::string::npos) << refused.err;
        EXPECT_TRUE(refused.out.empty());
    }
    // Its own callers are served; with no input the host ends at once.
    EXPECT_EQ(bridge({"chrome-extension://bokigbajffmidppdblbannoobgdmdlld/"}).status, 0);
    EXPECT_EQ(bridge({(home_.root() / "x.json").string(), "quillbrook@fernhollow.org"}).status, 0);
}

} // namespace
} // namespace quillbrook::testing
