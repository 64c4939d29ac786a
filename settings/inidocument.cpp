#include "settings/inidocument.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// What the platform's reader copies a value into, its terminating zero included.
constexpr qsizetype kValueBuffer = 2048;

// The first keys of a section that are remembered, far more than the program has,
// and the lines looked at for them: a key beyond them is looked for the first time
// it is asked for, and millions of keys cost no more memory than a few.
constexpr std::size_t kKeysRemembered = 64;
constexpr int kLinesLookedAt = 1024;

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

// ASCII only: a Shift-JIS byte above 0x7F must never fold into another one.
char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

QByteArray folded(QByteArrayView name)
{
    QByteArray result = name.toByteArray();
    for (char &c : result)
        c = asciiLower(c);
    return result;
}

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

// The first byte that is no blank; nothing for a blank line.
std::optional<char> leadingByte(QByteArrayView content)
{
    for (const char c : content) {
        if (!isBlank(c))
            return c;
    }
    return std::nullopt;
}

enum class Kind { Blank, Comment, Section, Key };

struct Parsed
{
    Kind kind = Kind::Blank;
    QByteArrayView name;
    QByteArrayView value;
};

Parsed parseContent(QByteArrayView content)
{
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

// The lines of a text that start with one of two bytes, blanks before it aside,
// found by where those bytes are: the lines between are never split, so looking
// for a header or a key passes over millions of other lines at memchr's speed.
class LinesStartingWith
{
public:
    LinesStartingWith(QByteArrayView text, qsizetype end, char a, char b)
        : m_text(text)
        , m_end(end)
        , m_bytes{a, b}
    {
    }

    // Where the first such line begins whose first byte lies at or after from; end
    // when there is none.
    qsizetype next(qsizetype from)
    {
        const char *const data = m_text.data();
        for (;;) {
            for (std::size_t i = 0; i < 2; ++i) {
                if (m_next[i] < from)
                    m_next[i] = find(m_bytes[i], from);
            }
            m_first = std::min(m_next[0], m_next[1]);
            if (m_first >= m_end)
                return m_end;
            qsizetype begin = m_first;
            while (begin > 0 && isBlank(data[begin - 1]))
                --begin;
            if (begin == 0 || data[begin - 1] == '\n' || data[begin - 1] == '\r')
                return begin;
            if (begin == kByteOrderMark.size() && m_text.startsWith(kByteOrderMark))
                return 0;
            from = m_first + 1;
        }
    }

    // Where the first byte of the line next() found lies.
    qsizetype first() const { return m_first; }

private:
    qsizetype find(char byte, qsizetype from) const
    {
        // An empty text may have no bytes at all to point to.
        if (from >= m_end)
            return m_end;
        const char *const data = m_text.data();
        const void *found = std::memchr(data + from, byte, std::size_t(m_end - from));
        return found ? static_cast<const char *>(found) - data : m_end;
    }

    QByteArrayView m_text;
    qsizetype m_end;
    char m_bytes[2];
    qsizetype m_next[2] = {-1, -1};
    qsizetype m_first = 0;
};

} // namespace

IniDocument::IniDocument(QByteArray text)
    : m_text(std::move(text))
{
}

std::size_t IniDocument::FoldedHash::operator()(QByteArrayView name) const
{
    quint64 hash = 14695981039346656037u;
    for (const char c : name) {
        hash ^= uchar(asciiLower(c));
        hash *= 1099511628211u;
    }
    return std::size_t(hash);
}

bool IniDocument::FoldedEqual::operator()(QByteArrayView a, QByteArrayView b) const
{
    return sameName(a, b);
}

IniDocument::Line IniDocument::lineAt(qsizetype begin, qsizetype limit) const
{
    const char *const data = m_text.constData();
    const char *const stop = data + limit;
    const char *p = data + begin;
    // Eight bytes at a time up to the word holding the line end: a file may be one
    // line of 16 MiB, or millions of a few bytes.
    constexpr quint64 ones = 0x0101010101010101u;
    constexpr quint64 highBits = 0x8080808080808080u;
    for (; stop - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        const quint64 cr = word ^ (ones * '\r');
        const quint64 lf = word ^ (ones * '\n');
        if ((((cr - ones) & ~cr) | ((lf - ones) & ~lf)) & highBits)
            break;
    }
    while (p < stop && *p != '\r' && *p != '\n')
        ++p;
    Line line{begin, p - data, 0};
    if (p < stop) {
        ++p;
        if (p[-1] == '\r' && p < stop && *p == '\n')
            ++p;
    }
    line.next = p - data;
    return line;
}

// The line that ends where next begins.
IniDocument::Line IniDocument::lineBefore(qsizetype next) const
{
    const char *const data = m_text.constData();
    qsizetype end = next;
    if (end > 0 && data[end - 1] == '\n')
        --end;
    if (end > 0 && data[end - 1] == '\r')
        --end;
    qsizetype begin = end;
    while (begin > 0 && data[begin - 1] != '\n' && data[begin - 1] != '\r')
        --begin;
    return {begin, end, next};
}

// Whether the bytes at a place spell the name, as names are compared.
bool IniDocument::namedAt(qsizetype at, QByteArrayView name) const
{
    return m_text.size() - at >= name.size() && sameName(QByteArrayView(m_text).sliced(at, name.size()), name);
}

QByteArrayView IniDocument::lineText(const Line &line) const
{
    QByteArrayView content = QByteArrayView(m_text).sliced(line.begin, line.end - line.begin);
    // The byte order mark some editors put first is no part of the first line.
    if (line.begin == 0 && content.startsWith(kByteOrderMark))
        content = content.sliced(kByteOrderMark.size());
    return content;
}

IniDocument::Section &IniDocument::sectionNamed(QByteArrayView name)
{
    for (Section &known : m_sections) {
        if (sameName(known.name, name))
            return known;
    }
    Section section;
    section.name = name.toByteArray();
    const qsizetype size = m_text.size();
    LinesStartingWith headers(m_text, size, '[', '[');
    for (qsizetype at = headers.next(0); at < size;) {
        // Most headers of a file of headers differ from the name at once.
        qsizetype first = headers.first() + 1;
        while (first < size && isBlank(m_text[first]))
            ++first;
        if (!namedAt(first, name)) {
            at = headers.next(first);
            continue;
        }
        const Line line = lineAt(at, size);
        at = headers.next(line.next);
        const Parsed parsed = parseContent(lineText(line));
        if (parsed.kind == Kind::Section && sameName(parsed.name, name)) {
            section.inFile = true;
            section.header = line;
            break;
        }
    }
    m_sections.push_back(std::move(section));
    return m_sections.back();
}

// Where the section ends, its first keys and its last: a look at the lines up to
// the next header that is no longer than needed.
void IniDocument::scanKeys(Section &section)
{
    if (section.scanned)
        return;
    section.scanned = true;
    section.allKeysKnown = true;
    if (!section.inFile)
        return;
    const qsizetype size = m_text.size();
    section.bodyEnd = size;
    LinesStartingWith headers(m_text, size, '[', '[');
    for (qsizetype at = headers.next(section.header.next); at < size;) {
        const Line line = lineAt(at, size);
        if (parseContent(lineText(line)).kind == Kind::Section) {
            section.bodyEnd = line.begin;
            break;
        }
        at = headers.next(line.next);
    }

    qsizetype at = section.header.next;
    for (int looked = 0; at < section.bodyEnd; ++looked) {
        const Line line = lineAt(at, section.bodyEnd);
        const Parsed parsed = parseContent(lineText(line));
        if (parsed.kind == Kind::Key) {
            if (section.keys.size() == kKeysRemembered && section.keys.find(parsed.name) == section.keys.end())
                break;
            if (looked == kLinesLookedAt)
                break;
            section.keys.try_emplace(parsed.name, line);
            section.lastKey = line;
        }
        at = line.next;
    }
    if (at == section.bodyEnd)
        return;
    section.allKeysKnown = false;
    // Any line of the body but a comment or a blank one is a key.
    for (qsizetype next = section.bodyEnd; next > at;) {
        const Line line = lineBefore(next);
        const std::optional<char> lead = leadingByte(lineText(line));
        if (lead && *lead != ';') {
            section.lastKey = line;
            return;
        }
        next = line.begin;
    }
}

// The first line of the key in the file, if any.
std::optional<IniDocument::Line> IniDocument::keyLine(Section &section, QByteArrayView key)
{
    scanKeys(section);
    if (const auto known = section.keys.find(key); known != section.keys.end())
        return known->second;
    if (section.allKeysKnown)
        return std::nullopt;
    for (const QByteArray &name : section.missing) {
        if (sameName(name, key))
            return std::nullopt;
    }
    // The name's first byte starts its line; a line "=value" has the empty name.
    const char lead = key.isEmpty() ? '=' : key.front();
    LinesStartingWith candidates(m_text, section.bodyEnd, asciiLower(lead), asciiUpper(lead));
    for (qsizetype at = candidates.next(section.header.next); at < section.bodyEnd;) {
        // Most lines starting alike differ from the name before its end.
        if (!namedAt(candidates.first(), key)) {
            at = candidates.next(candidates.first() + 1);
            continue;
        }
        const Line line = lineAt(at, section.bodyEnd);
        at = candidates.next(line.next);
        const Parsed parsed = parseContent(lineText(line));
        if (parsed.kind == Kind::Key && sameName(parsed.name, key)) {
            section.keys.emplace(parsed.name, line);
            return line;
        }
    }
    section.missing.push_back(key.toByteArray());
    return std::nullopt;
}

std::optional<QByteArray> IniDocument::value(QByteArrayView sectionName, QByteArrayView key)
{
    Section &section = sectionNamed(sectionName);
    QByteArrayView content;
    if (const std::optional<Line> line = keyLine(section, key)) {
        const auto rewritten = m_rewritten.find(line->begin);
        content = rewritten != m_rewritten.end() ? QByteArrayView(rewritten->second.second) : lineText(*line);
    } else if (const auto added = section.addedKeys.constFind(folded(key)); added != section.addedKeys.constEnd()) {
        content = section.added[std::size_t(*added)];
    } else {
        return std::nullopt;
    }
    QByteArrayView value = parseContent(content).value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.first(qMin(value.size(), kValueBuffer - 1)).toByteArray();
}

// A section the file does not have is written at its end.
void IniDocument::addOwn(Section &section, const QByteArray &name)
{
    if (section.inFile || section.own)
        return;
    section.own = true;
    section.ownName = name;
    m_newSections.push_back(std::size_t(&section - m_sections.data()));
}

void IniDocument::setValue(const QByteArray &sectionName, const QByteArray &key, const QByteArray &value)
{
    Section &section = sectionNamed(sectionName);
    addOwn(section, sectionName);
    if (const std::optional<Line> line = keyLine(section, key)) {
        const QByteArray spelling = parseContent(lineText(*line)).name.toByteArray();
        m_rewritten[line->begin] = {line->end, spelling + '=' + value};
        return;
    }
    const QByteArray name = folded(key);
    if (const auto added = section.addedKeys.constFind(name); added != section.addedKeys.constEnd()) {
        QByteArray &line = section.added[std::size_t(*added)];
        line = parseContent(line).name.toByteArray() + '=' + value;
    } else {
        section.addedKeys.insert(name, qsizetype(section.added.size()));
        section.added.push_back(key + '=' + value);
    }
}

const std::vector<IniDocument::Line> &IniDocument::listedLines(Section &section, LineTest wanted, int most)
{
    if (section.listed)
        return *section.listed;
    scanKeys(section);
    section.listed.emplace();
    if (!section.inFile)
        return *section.listed;
    for (qsizetype at = section.header.next; at < section.bodyEnd && int(section.listed->size()) < most;) {
        const Line line = lineAt(at, section.bodyEnd);
        if (wanted(trimBlanks(lineText(line))))
            section.listed->push_back(line);
        at = line.next;
    }
    return *section.listed;
}

std::vector<QByteArray> IniDocument::lines(QByteArrayView sectionName, LineTest wanted, int most)
{
    Section &section = sectionNamed(sectionName);
    if (section.replaced)
        return *section.replaced;
    std::vector<QByteArray> result;
    for (const Line &line : listedLines(section, wanted, most))
        result.push_back(trimBlanks(lineText(line)).toByteArray());
    return result;
}

void IniDocument::replaceLines(const QByteArray &sectionName, LineTest wanted, int most,
                               const std::vector<QByteArray> &lines)
{
    Section &section = sectionNamed(sectionName);
    if (!lines.empty())
        addOwn(section, sectionName);
    const std::vector<Line> &listed = listedLines(section, wanted, most);
    section.replaced = lines;
    if (listed.empty())
        return;
    // The first one's line end stays after the new lines; the others go whole.
    QByteArray joined;
    for (const QByteArray &line : lines)
        joined += (joined.isEmpty() ? QByteArray() : kLineEnd) + line;
    m_rewritten[listed.front().begin] = {lines.empty() ? listed.front().next : listed.front().end, joined};
    for (auto line = listed.begin() + 1; line != listed.end(); ++line)
        m_rewritten[line->begin] = {line->next, QByteArray()};
}

QByteArray IniDocument::text() const
{
    // New lines go after a section's last key, or after its header when it has none.
    std::vector<std::pair<qsizetype, QByteArray>> insertions;
    // Lines of a list the file did not have come after the new keys.
    const auto newLines = [](const Section &section) {
        QByteArray lines;
        for (const QByteArray &line : section.added)
            lines += line + kLineEnd;
        if (section.replaced && section.listed && section.listed->empty()) {
            for (const QByteArray &line : *section.replaced)
                lines += line + kLineEnd;
        }
        return lines;
    };
    for (const Section &section : m_sections) {
        const QByteArray lines = section.inFile ? newLines(section) : QByteArray();
        if (lines.isEmpty())
            continue;
        const Line &after = section.lastKey ? *section.lastKey : section.header;
        // The last line of a text without a final line end gets one first.
        insertions.emplace_back(after.next, after.next == after.end ? kLineEnd + lines : lines);
    }
    std::sort(insertions.begin(), insertions.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QByteArray appended;
    for (const std::size_t index : m_newSections) {
        const Section &section = m_sections[index];
        appended += '[' + section.ownName + ']' + kLineEnd + newLines(section);
    }
    if (m_rewritten.empty() && insertions.empty() && appended.isEmpty())
        return m_text;

    QByteArray result;
    result.reserve(m_text.size() + appended.size() + 64 * qsizetype(m_rewritten.size() + insertions.size()));
    const QByteArrayView original(m_text);
    qsizetype at = 0;
    auto rewritten = m_rewritten.begin();
    auto insertion = insertions.begin();
    while (rewritten != m_rewritten.end() || insertion != insertions.end()) {
        // At the same place an insertion ends the line before, so it comes first.
        if (insertion != insertions.end()
            && (rewritten == m_rewritten.end() || insertion->first <= rewritten->first)) {
            result += original.sliced(at, insertion->first - at);
            result += insertion->second;
            at = insertion->first;
            ++insertion;
        } else {
            result += original.sliced(at, rewritten->first - at);
            result += rewritten->second.second;
            at = rewritten->second.first;
            ++rewritten;
        }
    }
    result += original.sliced(at);
    if (!appended.isEmpty()) {
        if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
            result += kLineEnd;
        result += appended;
    }
    return result;
}
