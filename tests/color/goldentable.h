#pragma once

#include <QFile>
#include <QStringList>
#include <QTest>

// The rows of a table in tests/color/data, each cut at its tabs; lines starting "# "
// are comments.
inline QList<QStringList> goldenTable(const QString &name)
{
    QFile file(QFINDTESTDATA("data/" + name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no table %s", qPrintable(name));
    QList<QStringList> rows;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.isEmpty() && !line.startsWith(QLatin1String("# ")))
            rows << line.split(QLatin1Char('\t'));
    }
    return rows;
}
