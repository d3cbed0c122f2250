// The one QApplication of the ui tests, on the offscreen platform so that no window reaches the
// user's display. It exists from before the first test until after the last.
#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        // QUILLBROOK_UI_TEST_PLATFORM=xcb runs the same tests on a real X server (Xvfb).
        const QByteArray platform = qgetenv("QUILLBROOK_UI_TEST_PLATFORM");
        qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? QByteArray("offscreen") : platform);
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[9] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

// GoogleTest owns registered environments.
[[maybe_unused]] const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
