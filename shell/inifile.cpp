#include "shell/inifile.h"

#include "shell/exception.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace {

// What the platform's reader copies a value into, its terminating zero included.
constexpr qsizetype kValueBuffer = 2048;

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
const QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// ASCII only: a Shift-JIS byte above 0x7F must never fold into another one.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0; // where the line end starts, or the end of the text
    qsizetype next = 0; // after the line end
};

Line lineAt(const QByteArray &text, qsizetype begin)
{
    Line line{begin, begin, begin};
    while (line.end < text.size() && text[line.end] != '\r' && text[line.end] != '\n')
        ++line.end;
    line.next = line.end;
    if (line.next < text.size()) {
        const bool cr = text[line.next] == '\r';
        ++line.next;
        if (cr && line.next < text.size() && text[line.next] == '\n')
            ++line.next;
    }
    return line;
}

enum class Kind { Blank, Comment, Section, Key };

struct Parsed
{
    Kind kind = Kind::Blank;
    QByteArrayView name;
    QByteArrayView value;
};

Parsed parse(const QByteArray &text, const Line &line)
{
    QByteArrayView content = QByteArrayView(text).sliced(line.begin, line.end - line.begin);
    // The byte order mark some editors put first is no part of the first line.
    if (line.begin == 0 && content.startsWith(kByteOrderMark))
        content = content.sliced(kByteOrderMark.size());
    content = trimBlanks(content);
    if (content.isEmpty())
        return {};
    if (content.front() == ';')
        return {Kind::Comment, {}, {}};
    if (content.front() == '[') {
        const qsizetype close = content.lastIndexOf(']');
        if (close > 0)
            return {Kind::Section, trimBlanks(content.sliced(1, close - 1)), {}};
    }
    // A line without "=" is a key with an empty value.
    const qsizetype equals = content.indexOf('=');
    if (equals < 0)
        return {Kind::Key, content, {}};
    return {Kind::Key, trimBlanks(content.first(equals)), trimBlanks(content.sliced(equals + 1))};
}

// Where a key stands: the first section of that name, the first key of that name in it
// and the section's last key line.
struct Place
{
    bool hasSection = false;
    Line header;
    bool hasKey = false;
    Line key;
    bool hasLastKey = false;
    Line lastKey;
};

Place find(const QByteArray &text, QByteArrayView section, QByteArrayView key)
{
    Place place;
    bool inSection = false;
    for (qsizetype at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        at = line.next;
        const Parsed parsed = parse(text, line);
        if (parsed.kind == Kind::Section) {
            if (place.hasSection)
                break;
            inSection = sameName(parsed.name, section);
            if (inSection) {
                place.hasSection = true;
                place.header = line;
            }
        } else if (inSection && parsed.kind == Kind::Key) {
            place.hasLastKey = true;
            place.lastKey = line;
            if (!place.hasKey && sameName(parsed.name, key)) {
                place.hasKey = true;
                place.key = line;
            }
        }
    }
    return place;
}

int digitValue(char c, int base)
{
    int digit = 99;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit < base ? digit : -1;
}

} // namespace

namespace IniText {

std::optional<QByteArray> value(const QByteArray &text, const QByteArray &section, const QByteArray &key)
{
    const Place place = find(text, section, key);
    if (!place.hasKey)
        return std::nullopt;
    QByteArrayView value = parse(text, place.key).value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.first(qMin(value.size(), kValueBuffer - 1)).toByteArray();
}

std::optional<qint32> toInteger(const QByteArray &value)
{
    const qsizetype size = value.size();
    qsizetype at = 0;
    while (at < size && isBlank(value[at]))
        ++at;
    bool negative = false;
    if (at < size && (value[at] == '-' || value[at] == '+')) {
        negative = value[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < size && (value[at] == '$' || value[at] == 'x' || value[at] == 'X')) {
        base = 16;
        ++at;
    } else if (at + 1 < size && value[at] == '0' && (value[at + 1] == 'x' || value[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at == size)
        return std::nullopt;
    // Hexadecimal may use all 32 bits; decimal must fit a signed 32-bit number.
    const quint64 limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    quint64 magnitude = 0;
    for (; at < size; ++at) {
        const int digit = digitValue(value[at], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const quint32 bits = negative ? 0u - quint32(magnitude) : quint32(magnitude);
    return qint32(bits);
}

QByteArray withValue(const QByteArray &text, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value)
{
    const Place place = find(text, section, key);
    QByteArray result = text;
    if (place.hasKey) {
        const QByteArray line = parse(text, place.key).name.toByteArray() + '=' + value;
        return result.replace(place.key.begin, place.key.end - place.key.begin, line);
    }
    const QByteArray keyLine = key + '=' + value + kLineEnd;
    if (place.hasSection) {
        const Line &after = place.hasLastKey ? place.lastKey : place.header;
        // The last line of a text without a final line end gets one first.
        const QByteArray insert = after.next == after.end ? kLineEnd + keyLine : keyLine;
        return result.insert(after.next, insert);
    }
    if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
        result += kLineEnd;
    return result + '[' + section + ']' + kLineEnd + keyLine;
}

} // namespace IniText

TIniFile::TIniFile(QString fileName)
    : m_fileName(std::move(fileName))
{
}

int TIniFile::readInteger(const QByteArray &section, const QByteArray &key, int defaultValue)
{
    const std::optional<QByteArray> value = IniText::value(text(), section, key);
    if (!value)
        return defaultValue;
    return IniText::toInteger(*value).value_or(defaultValue);
}

bool TIniFile::readBool(const QByteArray &section, const QByteArray &key, bool defaultValue)
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::writeInteger(const QByteArray &section, const QByteArray &key, int value)
{
    m_text = IniText::withValue(text(), section, key, QByteArray::number(value));
    m_changed = true;
}

void TIniFile::writeBool(const QByteArray &section, const QByteArray &key, bool value)
{
    writeInteger(section, key, value ? 1 : 0);
}

void TIniFile::updateFile()
{
    if (!m_changed)
        return;
    // QSaveFile writes a temporary file beside the old one, flushes it to the disk and
    // renames it over the old one. It refuses a read-only file, although the rename
    // would get past it, and a read-only folder. A file that could not be read is
    // never replaced: whatever else it held would be lost. Unbuffered, so that a write
    // the disk cuts short shows in write()'s result: commit() takes no notice of a
    // failure that comes up only when a buffer is flushed, and would put a truncated
    // file in place.
    QSaveFile file(m_fileName);
    const bool written = !m_unreadable && file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && file.write(m_text) == m_text.size() && file.commit();
    if (!written) {
        const QString path = QDir::toNativeSeparators(QFileInfo(m_fileName).absoluteFilePath());
        throw EIniFileException(QStringLiteral("%1 に書き込めません").arg(path));
    }
    m_changed = false;
}

const QByteArray &TIniFile::text()
{
    if (!m_loaded) {
        m_loaded = true;
        QFile file(m_fileName);
        if (file.exists()) {
            m_unreadable = !file.open(QIODevice::ReadOnly);
            if (!m_unreadable) {
                m_text = file.readAll();
                m_unreadable = file.error() != QFileDevice::NoError;
            }
            if (m_unreadable)
                m_text.clear();
        }
    }
    return m_text;
}
