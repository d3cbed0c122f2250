#include "recovery/recovered_text.h"

#include <QJsonValue>

namespace quillbrook {

QString reasonName(KeptBecause reason)
{
    switch (reason) {
    case KeptBecause::Undelivered: return QStringLiteral("undelivered");
    case KeptBecause::SessionEnded: return QStringLiteral("ended");
    case KeptBecause::LeftBehind: return QStringLiteral("left");
    case KeptBecause::SideFile: return QStringLiteral("side");
    }
    return {};
}

std::optional<KeptBecause> reasonFromName(const QString& name)
{
    for (const KeptBecause reason :
         {KeptBecause::Undelivered, KeptBecause::SessionEnded, KeptBecause::LeftBehind, KeptBecause::SideFile})
        if (reasonName(reason) == name)
            return reason;
    return std::nullopt;
}

QJsonObject originToJson(const TextOrigin& origin)
{
    return {{QStringLiteral("title"), origin.title},
            {QStringLiteral("url"), origin.url},
            {QStringLiteral("menuItem"), origin.menuItem},
            {QStringLiteral("codePage"), origin.codePage}};
}

std::optional<TextOrigin> originFromJson(const QJsonObject& object)
{
    const QJsonValue title = object.value(QLatin1String("title"));
    const QJsonValue url = object.value(QLatin1String("url"));
    const QJsonValue menuItem = object.value(QLatin1String("menuItem"));
    const QJsonValue codePage = object.value(QLatin1String("codePage"));
    if (!title.isString() || !url.isString() || !menuItem.isString() || !codePage.isDouble())
        return std::nullopt;
    return TextOrigin{title.toString(), url.toString(), menuItem.toString(), codePage.toInt()};
}

} // namespace quillbrook
