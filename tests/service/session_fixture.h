// Editing sessions with real editor processes: a private home and hive, the watcher running on
// the temporary files folder, a test page, scripted message boxes and dialogs, and a test editor
// steered through a control FIFO.
#pragma once

#include "service/change_watcher.h"
#include "service/service.h"
#include "store/global_settings.h"
#include "support/main_thread_loop.h"
#include "support/page/test_page.h"
#include "support/scripted_interactions.h"
#include "support/temporary_home.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillbrook::testing {

// One test editor's control channel and log.
class EditorControl {
public:
    explicit EditorControl(const std::filesystem::path& folder);
    ~EditorControl();
    EditorControl(const EditorControl&) = delete;
    EditorControl& operator=(const EditorControl&) = delete;

    // Arguments that make the test editor use this control and log.
    std::string arguments() const;
    const std::filesystem::path& fifo() const { return fifo_; }
    const std::filesystem::path& log() const { return log_; }

    // The editor saves `content` in place, or as a new file renamed over the old one (which is
    // seen whole or not at all).
    void write(const std::string& content) { send("write", content); }
    void renameOver(const std::string& content) { send("rename", content); }
    // Ends the editor, as a user closing it does.
    void exit() { send("exit", {}); }
    // The editor's arguments as it received them; empty until it has started.
    std::vector<std::string> loggedLines() const;
    bool ended() const;

private:
    void send(const std::string& verb, const std::string& content);

    std::filesystem::path fifo_;
    std::filesystem::path log_;
    int fd_ = -1;
};

class SessionTest : public ::testing::Test {
protected:
    SessionTest();
    ~SessionTest() override;

    // A service whose editor is the test editor; its control is `control()`.
    std::shared_ptr<CService> newService();
    EditorControl& control() { return control_; }

    std::filesystem::path tempFolder() const { return globalSettings().TempFolderPath; }
    static std::string readFile(const std::filesystem::path& path);
    // Runs the main thread's loop until the box has taken `count` writes.
    static bool waitForWrites(const TestTextBox& box, std::size_t count);
    // Runs the main thread's loop until the box holds `value`. A save in place may be seen half
    // done (truncated, not yet written) when the sync delay is 0, so tests of saves in place wait
    // for the value rather than count writes.
    static bool waitForValue(const TestTextBox& box, const QString& value);
    // Runs the main thread's loop until the service's session has ended.
    static bool waitForSessionEnd(const CService& service);

    TemporaryHome home_;
    ScopedLocale locale_;
    ScriptedInteractions interactions_;
    EditorControl control_;
};

} // namespace quillbrook::testing
