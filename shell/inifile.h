#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text rules of private-profile (INI) files, as the files users already have
// rely on: one line a section header "[name]", a key "name=value", a comment
// starting with ";" or anything else; names match without regard to ASCII case and
// to the blanks around them; the first of two equal sections or keys counts; CR LF,
// LF and CR all end a line; a UTF-8 byte order mark before the first line is passed
// over. The text is bytes in the system's code page.
namespace IniText {

// What the reader hands over for a key: the value with the blanks around it dropped,
// one pair of matching double or single quotes removed, and cut to the 2,047 bytes a
// 2,048-byte buffer holds. Nothing when the section or the key is missing.
std::optional<QByteArray> value(const QByteArray &text, const QByteArray &section, const QByteArray &key);

// A signed 32-bit integer: blanks, an optional sign, then decimal digits, or
// hexadecimal ones after "$", "x", "X", "0x" or "0X" (up to FFFFFFFF, taken as 32
// bits). Nothing may follow. Nothing when the text is not such a number.
std::optional<qint32> toInteger(const QByteArray &value);

// The text with the key set: the key's line rewritten in place (keeping the file's
// spelling of the name), else a new line after the section's last key, else a new
// section at the end. Every other byte stays; new lines end in CR LF.
QByteArray withValue(const QByteArray &text, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value);

}

// A settings file: read a key at a time, written as one whole. Creating one touches
// no file; the file is read at the first read or write, and the writes reach the
// disk only with updateFile(), which replaces the file whole, so a failure at any
// moment leaves either the old file or the new one.
class TIniFile
{
public:
    explicit TIniFile(QString fileName);

    const QString &fileName() const { return m_fileName; }

    // A missing file, section or key and a value that does not convert give the default.
    int readInteger(const QByteArray &section, const QByteArray &key, int defaultValue);
    bool readBool(const QByteArray &section, const QByteArray &key, bool defaultValue);

    void writeInteger(const QByteArray &section, const QByteArray &key, int value);
    void writeBool(const QByteArray &section, const QByteArray &key, bool value);

    // Puts what was written into the file. A refused write (a read-only file or
    // folder, a full disk, a file that could not be read first) raises
    // EIniFileException and leaves the file as it was. Writes not put into the file
    // are dropped with the object.
    void updateFile();

private:
    const QByteArray &text();

    QString m_fileName;
    QByteArray m_text;
    bool m_loaded = false;
    bool m_unreadable = false;
    bool m_changed = false;
};
