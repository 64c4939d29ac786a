#pragma once

#include "settings/inidocument.h"
#include "settings/settingslocation.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class StoredFile;

// The text of settings files, as the files users already have rely on: bytes in the
// system's code page, or UTF-16 in either byte order after its byte order mark. The
// line rules are IniDocument's.
namespace IniText {

// What the reader hands over for a key; nothing when the section or key is missing.
std::optional<QByteArray> value(const QByteArray &text, const QByteArray &section, const QByteArray &key);

// A signed 32-bit integer: blanks, an optional sign, then decimal digits, or
// hexadecimal ones after "$", "x", "X", "0x" or "0X" (up to FFFFFFFF, taken as 32
// bits). Nothing may follow. Nothing when the text is not such a number.
std::optional<qint32> toInteger(const QByteArray &value);

// The text with the key set, by IniDocument::setValue.
QByteArray withValue(const QByteArray &text, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value);

enum class Encoding { Bytes, Utf16LE, Utf16BE };

// A file's text in the form the line rules read: bytes as they are; UTF-16 without
// its byte order mark as UTF-8, where a lone surrogate takes three bytes of its own,
// so that encode() gives back every file unchanged. Nothing for a UTF-16 file of an
// odd number of bytes.
struct Decoded
{
    Encoding encoding = Encoding::Bytes;
    QByteArray text;
};
std::optional<Decoded> decode(const QByteArray &file);
QByteArray encode(Encoding encoding, const QByteArray &text);

}

// A settings file: read a key at a time, written as one whole. Creating one touches
// no file; the name is resolved and the file read once, at the first read or write,
// and the writes reach the disk only with updateFile(), which replaces the file
// whole, so a failure at any moment leaves either the old file or the new one. Only
// a regular file of at most 16 MiB is read (StoredFile); anything else reads as
// defaults and is never replaced.
class TIniFile
{
public:
    explicit TIniFile(const QString &fileName);
    // A name as the file system has it: bytes, which need not be UTF-8.
    explicit TIniFile(const QByteArray &localFileName);
    // The settings file where location keeps it, reached through the folder it has
    // held since the start, not by its name again.
    TIniFile(const SettingsLocation &location, SettingsLocation::Use use);
    ~TIniFile();

    // A missing file, section or key and a value that does not convert give the default.
    int readInteger(const QByteArray &section, const QByteArray &key, int defaultValue);
    bool readBool(const QByteArray &section, const QByteArray &key, bool defaultValue);

    // A section kept as a list of lines: up to most of those that wanted takes, and
    // those same lines replaced, every other line as it was (IniDocument::lines).
    std::vector<QByteArray> readLines(const QByteArray &section, IniDocument::LineTest wanted, int most);
    void writeLines(const QByteArray &section, IniDocument::LineTest wanted, int most,
                    const std::vector<QByteArray> &lines);

    void writeInteger(const QByteArray &section, const QByteArray &key, int value);
    void writeBool(const QByteArray &section, const QByteArray &key, bool value);

    // Puts what was written into the file, in the file's own encoding, keeping who
    // may read and write it: the very file that was read, through a link the file
    // it points to. A refused write (a read-only file or folder of the
    // user's, a full disk, a file that could not be read first, a link not followed,
    // a place where the user's settings are not kept) raises EIniFileException and
    // leaves the file as it was. Writes not put into the file are dropped with the
    // object.
    void updateFile();

private:
    IniDocument &document();

    std::unique_ptr<StoredFile> m_file;
    std::optional<IniDocument> m_document;
    IniText::Encoding m_encoding = IniText::Encoding::Bytes;
    bool m_unreadable = false;
    bool m_changed = false;
};
