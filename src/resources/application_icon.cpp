#include "resources/application_icon.h"

#include <QSize>
#include <QString>

namespace quillbrook {

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : kApplicationIconSizes)
        icon.addFile(QStringLiteral(":/quillbrook/icons/quillbrook-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace quillbrook
