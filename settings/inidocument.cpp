#include "settings/inidocument.h"

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

// ASCII only: a Shift-JIS byte above 0x7F must never fold into another one.
char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
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

} // namespace

IniDocument::IniDocument(QByteArray text)
    : m_text(std::move(text))
{
    // One pass that looks closer only at lines starting with "[": everything else
    // waits until its section is asked for.
    const qsizetype size = m_text.size();
    for (qsizetype at = 0; at < size;) {
        const Line line = lineAt(at, size);
        at = line.next;
        const QByteArrayView content = lineText(line);
        qsizetype first = 0;
        while (first < content.size() && isBlank(content[first]))
            ++first;
        if (first == content.size() || content[first] != '[')
            continue;
        const Parsed parsed = parseContent(content);
        if (parsed.kind != Kind::Section)
            continue;
        if (!m_sections.empty())
            m_sections.back().bodyEnd = line.begin;
        Section section;
        section.fileName = parsed.name;
        section.header = line;
        section.bodyEnd = size;
        m_sections.push_back(std::move(section));
    }
}

IniDocument::Line IniDocument::lineAt(qsizetype begin, qsizetype limit) const
{
    const char *const data = m_text.constData();
    const char *const stop = data + limit;
    const char *p = data + begin;
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

QByteArrayView IniDocument::lineText(const Line &line) const
{
    QByteArrayView content = QByteArrayView(m_text).sliced(line.begin, line.end - line.begin);
    // The byte order mark some editors put first is no part of the first line.
    if (line.begin == 0 && content.startsWith(kByteOrderMark))
        content = content.sliced(kByteOrderMark.size());
    return content;
}

IniDocument::Section *IniDocument::findSection(QByteArrayView name)
{
    for (Section &section : m_sections) {
        if (sameName(section.own ? QByteArrayView(section.ownName) : section.fileName, name))
            return &section;
    }
    return nullptr;
}

void IniDocument::indexKeys(Section &section)
{
    if (section.indexed)
        return;
    section.indexed = true;
    for (qsizetype at = section.header.next; at < section.bodyEnd;) {
        const Line line = lineAt(at, section.bodyEnd);
        at = line.next;
        const Parsed parsed = parseContent(lineText(line));
        if (parsed.kind != Kind::Key)
            continue;
        section.lastKey = line;
        const QByteArray name = folded(parsed.name);
        if (!section.keys.contains(name))
            section.keys.insert(name, line);
    }
}

std::optional<QByteArray> IniDocument::value(QByteArrayView sectionName, QByteArrayView key)
{
    Section *section = findSection(sectionName);
    if (!section)
        return std::nullopt;
    indexKeys(*section);
    const QByteArray name = folded(key);
    QByteArrayView content;
    if (const auto found = section->keys.constFind(name); found != section->keys.constEnd()) {
        const auto rewritten = m_rewritten.find(found->begin);
        content = rewritten != m_rewritten.end() ? QByteArrayView(rewritten->second.second) : lineText(*found);
    } else if (const auto added = section->addedKeys.constFind(name); added != section->addedKeys.constEnd()) {
        content = section->added[std::size_t(*added)];
    } else {
        return std::nullopt;
    }
    QByteArrayView value = parseContent(content).value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.first(qMin(value.size(), kValueBuffer - 1)).toByteArray();
}

void IniDocument::setValue(const QByteArray &sectionName, const QByteArray &key, const QByteArray &value)
{
    Section *section = findSection(sectionName);
    if (!section) {
        Section own;
        own.own = true;
        own.ownName = sectionName;
        own.indexed = true;
        m_sections.push_back(std::move(own));
        section = &m_sections.back();
    }
    indexKeys(*section);
    const QByteArray name = folded(key);
    if (const auto found = section->keys.constFind(name); found != section->keys.constEnd()) {
        const QByteArray spelling = parseContent(lineText(*found)).name.toByteArray();
        m_rewritten[found->begin] = {found->end, spelling + '=' + value};
    } else if (const auto added = section->addedKeys.constFind(name); added != section->addedKeys.constEnd()) {
        QByteArray &line = section->added[std::size_t(*added)];
        line = parseContent(line).name.toByteArray() + '=' + value;
    } else {
        section->addedKeys.insert(name, qsizetype(section->added.size()));
        section->added.push_back(key + '=' + value);
    }
}

QByteArray IniDocument::text() const
{
    // New lines go after a section's last key, or after its header when it has none.
    std::vector<std::pair<qsizetype, QByteArray>> insertions;
    QByteArray appended;
    for (const Section &section : m_sections) {
        if (section.added.empty())
            continue;
        QByteArray lines;
        for (const QByteArray &line : section.added)
            lines += line + kLineEnd;
        if (section.own) {
            appended += '[' + section.ownName + ']' + kLineEnd + lines;
            continue;
        }
        const Line &after = section.lastKey ? *section.lastKey : section.header;
        // The last line of a text without a final line end gets one first.
        insertions.emplace_back(after.next, after.next == after.end ? kLineEnd + lines : lines);
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
