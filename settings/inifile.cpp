#include "settings/inifile.h"

#include "settings/storedfile.h"
#include "shell/exception.h"

#include <QByteArrayView>

#include <utility>

namespace {

const QByteArrayView kUtf16LE("\xFF\xFE");
const QByteArrayView kUtf16BE("\xFE\xFF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
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
    return IniDocument(text).value(section, key);
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
    IniDocument document(text);
    document.setValue(section, key, value);
    return document.text();
}

std::optional<Decoded> decode(const QByteArray &file)
{
    const bool little = file.startsWith(kUtf16LE);
    if (!little && !file.startsWith(kUtf16BE))
        return Decoded{Encoding::Bytes, file};
    if (file.size() % 2 != 0)
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype count = file.size() / 2;
    const auto unitAt = [&](qsizetype i) {
        const uint a = bytes[2 * i];
        const uint b = bytes[2 * i + 1];
        return little ? a | b << 8 : a << 8 | b;
    };
    QByteArray text;
    text.reserve(count);
    for (qsizetype i = 1; i < count; ++i) {
        uint code = unitAt(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count) {
            const uint low = unitAt(i + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code < 0x80) {
            text += char(code);
        } else if (code < 0x800) {
            text += char(0xC0 | code >> 6);
            text += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += char(0xE0 | code >> 12);
            text += char(0x80 | (code >> 6 & 0x3F));
            text += char(0x80 | (code & 0x3F));
        } else {
            text += char(0xF0 | code >> 18);
            text += char(0x80 | (code >> 12 & 0x3F));
            text += char(0x80 | (code >> 6 & 0x3F));
            text += char(0x80 | (code & 0x3F));
        }
    }
    return Decoded{little ? Encoding::Utf16LE : Encoding::Utf16BE, text};
}

QByteArray encode(Encoding encoding, const QByteArray &text)
{
    if (encoding == Encoding::Bytes)
        return text;
    const bool little = encoding == Encoding::Utf16LE;
    QByteArray file;
    file.reserve(2 * text.size() + 2);
    const auto putUnit = [&](uint unit) {
        file += char(little ? unit & 0xFF : unit >> 8);
        file += char(little ? unit >> 8 : unit & 0xFF);
    };
    putUnit(0xFEFF);
    const auto *bytes = reinterpret_cast<const uchar *>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const uint lead = bytes[i];
        const int length = lead < 0x80 ? 1 : lead >= 0xC0 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
            : lead >= 0xF0 && lead < 0xF8 ? 4 : 0;
        bool whole = length > 0 && i + length <= size;
        uint code = length > 1 ? lead & (0x7F >> length) : lead;
        for (int k = 1; whole && k < length; ++k) {
            whole = (bytes[i + k] & 0xC0) == 0x80;
            code = code << 6 | (bytes[i + k] & 0x3F);
        }
        // Only the decoder and ASCII fill the text; a stray byte stands for itself.
        if (!whole || code > 0x10FFFF) {
            putUnit(lead);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            putUnit(0xD800 + ((code - 0x10000) >> 10));
            putUnit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            putUnit(code);
        }
        i += length;
    }
    return file;
}

} // namespace IniText

TIniFile::TIniFile(const QString &fileName)
    : m_file(std::make_unique<StoredFile>(fileName))
{
}

TIniFile::TIniFile(const QByteArray &localFileName)
    : m_file(std::make_unique<StoredFile>(localFileName))
{
}

TIniFile::TIniFile(const SettingsLocation &location, SettingsLocation::Use use)
    : m_file(location.file(use))
{
}

TIniFile::~TIniFile() = default;

int TIniFile::readInteger(const QByteArray &section, const QByteArray &key, int defaultValue)
{
    const std::optional<QByteArray> value = document().value(section, key);
    if (!value)
        return defaultValue;
    return IniText::toInteger(*value).value_or(defaultValue);
}

bool TIniFile::readBool(const QByteArray &section, const QByteArray &key, bool defaultValue)
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<QByteArray> TIniFile::readLines(const QByteArray &section, IniDocument::LineTest wanted, int most)
{
    return document().lines(section, wanted, most);
}

void TIniFile::writeLines(const QByteArray &section, IniDocument::LineTest wanted, int most,
                          const std::vector<QByteArray> &lines)
{
    document().replaceLines(section, wanted, most, lines);
    m_changed = true;
}

void TIniFile::writeInteger(const QByteArray &section, const QByteArray &key, int value)
{
    document().setValue(section, key, QByteArray::number(value));
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
    const QByteArray bytes = IniText::encode(m_encoding, document().text());
    // A file that could not be read is never replaced: whatever else it held would be
    // lost. Nor is one written that would be too large to be read again.
    if (m_unreadable || bytes.size() > StoredFile::kLargestFile || !m_file->replace(bytes))
        throw EIniFileException(QStringLiteral("%1 に書き込めません").arg(m_file->shownName()));
    m_changed = false;
}

IniDocument &TIniFile::document()
{
    if (!m_document) {
        QByteArray bytes;
        const StoredFile::Reading reading = m_file->read(bytes);
        std::optional<IniText::Decoded> decoded;
        if (reading == StoredFile::Reading::Read)
            decoded = IniText::decode(bytes);
        m_unreadable = reading == StoredFile::Reading::Unreadable || (reading == StoredFile::Reading::Read && !decoded);
        if (decoded) {
            m_encoding = decoded->encoding;
            m_document.emplace(std::move(decoded->text));
        } else {
            m_document.emplace();
        }
    }
    return *m_document;
}
