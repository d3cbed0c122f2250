// The help file beside the program, opened with the desktop's opener.
#pragma once

#include <QString>

class QWidget;

namespace quillbrook {

// Hands a file or web address to the desktop's opener (xdg-open), which is looked up when first
// used. Once it could not be found or started, later calls return false without trying again.
class DesktopOpener {
public:
    explicit DesktopOpener(QString program = QStringLiteral("xdg-open"));

    bool open(const QString& target);
    bool failed() const { return failed_; }

private:
    QString program_;
    bool failed_ = false;
};

// The application's opener: one per QApplication, so that a failure is remembered.
DesktopOpener& desktopOpener();

// "Help.html" in the program's folder.
QString helpFilePath();

// Opens `helpFile` with `opener`; when it is missing or a folder, says so instead (message 144,
// caption 145, error icon) in a message box owned by `dialog`. A failed opener shows nothing.
void ShowHelp(QWidget& dialog, const QString& helpFile, DesktopOpener& opener);
void ShowHelp(QWidget& dialog);

} // namespace quillbrook
