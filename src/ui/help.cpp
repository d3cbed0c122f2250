#include "ui/help.h"

#include "platform/modal_interactions.h"
#include "resources/string_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <utility>

namespace quillbrook {
namespace {

// Owns the application's opener as a child of the application object.
class OpenerHolder final : public QObject {
public:
    explicit OpenerHolder(QObject* application) : QObject(application)
    {
        setObjectName(QStringLiteral("quillbrook-desktop-opener"));
    }
    DesktopOpener opener;
};

} // namespace

DesktopOpener::DesktopOpener(QString program) : program_(std::move(program)) {}

bool DesktopOpener::open(const QString& target)
{
    if (failed_)
        return false;
    const QString path = QStandardPaths::findExecutable(program_);
    failed_ = path.isEmpty() || !QProcess::startDetached(path, {target});
    return !failed_;
}

DesktopOpener& desktopOpener()
{
    QObject* application = QCoreApplication::instance();
    // The holder is the only child of that name; the class has no meta-object of its own.
    auto* holder = static_cast<OpenerHolder*>(
        application->findChild<QObject*>(QStringLiteral("quillbrook-desktop-opener"), Qt::FindDirectChildrenOnly));
    if (holder == nullptr)
        holder = new OpenerHolder(application);
    return holder->opener;
}

QString helpFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Help.html"));
}

void ShowHelp(QWidget& dialog, const QString& helpFile, DesktopOpener& opener)
{
    const QFileInfo file(helpFile);
    if (!file.exists() || file.isDir()) {
        modalInteractions().messageBox(static_cast<WindowId>(dialog.winId()), loadStringW(string_id::HelpMissingText),
                                       loadStringW(string_id::HelpMissingCaption), MB_OK | MB_ICONERROR);
        return;
    }
    opener.open(file.absoluteFilePath());
}

void ShowHelp(QWidget& dialog)
{
    ShowHelp(dialog, helpFilePath(), desktopOpener());
}

} // namespace quillbrook
