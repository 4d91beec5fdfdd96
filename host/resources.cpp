// Resource look-up by type and name, as the screensaver's resources were named on Windows.
#include "resources.h"

#include <QDir>
#include <QFile>

QByteArray Find_Resource(const QString& type, const QString& name)
{
    const QDir folder(QStringLiteral(":/") + type);
    for (const QString& entry : folder.entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0) continue;
        QFile file(folder.filePath(entry));
        if (file.open(QIODevice::ReadOnly)) return file.readAll();
    }
    return {};
}
