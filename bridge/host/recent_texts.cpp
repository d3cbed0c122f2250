#include "bridge/host/recent_texts.h"

#include "service/encodings.h"

#include <QDateTime>
#include <QJsonObject>

namespace quillbrook::bridge {
namespace {

QString shortened(QString text, qsizetype length)
{
    text = text.simplified();
    return text.size() > length ? text.left(length - 1) + QChar(0x2026) : text;
}

} // namespace

QJsonArray recentTextsList(const RecoveryStore& store)
{
    QJsonArray list;
    const QDate today = QDate::currentDate();
    for (const RecoveredText& text : store.list()) {
        if (static_cast<std::size_t>(list.size()) == kRecentInMenu)
            break;
        // An editor's swap or backup file is for quillbrook-recover, not for a text box.
        if (text.reason == KeptBecause::SideFile)
            continue;
        const auto bytes = store.bytesOf(text);
        if (!bytes.ok() || bytes.value().empty())
            continue;
        const QDateTime time = QDateTime::fromSecsSinceEpoch(text.time);
        const QString when =
            time.toString(time.date() == today ? QStringLiteral("HH:mm") : QStringLiteral("MMM d, HH:mm"));
        const QString page = text.origin.title.isEmpty() ? text.origin.url : text.origin.title;
        const QString start = bytesToText(bytes.value(), text.origin.codePage).section(QLatin1Char('\n'), 0, 0);
        // "&" marks an access key in both browsers' menus; "&&" is one "&".
        QString title = QStringLiteral("%1 \u2014 %2 \u2014 %3").arg(when, shortened(page, 32), shortened(start, 40));
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        list.append(
            QJsonObject{{QStringLiteral("id"), QString::fromStdString(text.id)}, {QStringLiteral("title"), title}});
    }
    return list;
}

} // namespace quillbrook::bridge
