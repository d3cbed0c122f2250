// One kept text's facts: where it came from and why it was kept. Stored beside the text as a small
// JSON object, so that a user can read it too.
#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace quillbrook {

enum class KeptBecause {
    // A save that could not be put into its text box.
    Undelivered,
    // The session's last text, kept when its temporary file was deleted.
    SessionEnded,
    // A temporary file that no running session owned, found when a server started.
    LeftBehind,
    // A file an editor left beside the temporary file (a swap, auto-save or backup file).
    SideFile,
};

struct TextOrigin {
    QString title;
    QString url;
    // The menu item (command) that started the session.
    QString menuItem;
    // How the text's bytes are encoded (the session's code page).
    std::int32_t codePage = 0;
};

struct RecoveredText {
    // The entry's name in the store: sortable by time, unique.
    std::string id;
    // Seconds since 1970 (UTC).
    std::int64_t time = 0;
    KeptBecause reason = KeptBecause::SessionEnded;
    TextOrigin origin;
    // The text's bytes as the editor saved them (encoded by origin.codePage).
    std::string textPath;
    // For an editor's side file: its name, which says which editor wrote it and how.
    QString sideFile;
};

QString reasonName(KeptBecause reason);
std::optional<KeptBecause> reasonFromName(const QString& name);

// The origin's members in a JSON object, and back; nullopt when a member is missing or of the
// wrong type.
QJsonObject originToJson(const TextOrigin& origin);
std::optional<TextOrigin> originFromJson(const QJsonObject& object);

} // namespace quillbrook
