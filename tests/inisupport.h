#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Settings files as bytes, for the tests of reading and writing them.

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The program's section, with these lines under its header.
inline QByteArray mainSection(const QByteArray &lines)
{
    return "[Main]\r\n" + lines;
}
