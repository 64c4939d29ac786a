#include "color/colortext.h"

#include "color/csscolor.h"
#include "color/cssparser.h"
#include "color/csstokens.h"
#include "color/screencolor.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A property or attribute name.
bool isName(std::string_view text)
{
    if (text.empty() || isDigit(text.front()))
        return false;
    for (char c : text) {
        if (!isLetter(c) && !isDigit(c) && c != '-' && c != '_')
            return false;
    }
    return true;
}

bool isHexCode(std::string_view text)
{
    return text.size() == 6 && std::all_of(text.begin(), text.end(), [](char c) {
               return isDigit(c) || (c >= 'a' && c <= 'f');
           });
}

// Where the character occurs outside parentheses and quotes, or npos.
std::size_t findOutside(std::string_view text, char wanted, std::size_t from = 0)
{
    int depth = 0;
    char quote = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            depth = std::max(depth - 1, 0);
        } else if (c == wanted && depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Sass and LESS end a line with "// …"; CSS knows no such comment, but no colour
// holds two slashes outside parentheses either.
std::string_view withoutLineComment(std::string_view text)
{
    for (std::size_t at = findOutside(text, '/'); at != std::string_view::npos; at = findOutside(text, '/', at + 1)) {
        if (at + 1 < text.size() && text[at + 1] == '/' && (at == 0 || isSpace(text[at - 1]) || text[at - 1] == ';'))
            return text.substr(0, at);
    }
    return text;
}

// "!important", and Sass's "!default" and "!global", at the end of a value.
std::string_view withoutFlags(std::string_view value)
{
    for (;;) {
        value = trimmed(value);
        const std::size_t bang = value.rfind('!');
        if (bang == std::string_view::npos)
            return value;
        const std::string_view flag = trimmed(value.substr(bang + 1));
        if (flag != "important" && flag != "default" && flag != "global")
            return value;
        value = value.substr(0, bang);
    }
}

std::string_view unquoted(std::string_view text)
{
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

// The colours a value holds, and what stands in the way of one.
struct Scan
{
    int components = 0;
    int colors = 0;
    bool broken = false; // something that looks like a colour, and is none
    std::optional<Color> color;
    std::size_t first = 0; // the colour's tokens
    std::size_t last = 0;
    Refusal refusal;
};

void scan(const std::vector<CssToken> &tokens, std::size_t at, std::size_t end, Scan &found, bool nested)
{
    CssColorParser parser(tokens, found.refusal);
    while (at < end) {
        const CssToken &t = tokens[at];
        if (t.kind == CssToken::Whitespace || (nested && t.kind == CssToken::Comma)) {
            ++at;
            continue;
        }
        if (!nested)
            ++found.components;
        if (t.kind == CssToken::CloseParen || t.kind == CssToken::BadToken) {
            found.broken = true;
            ++at;
            continue;
        }
        // A variable of Sass or LESS: what it stands for is not in the text.
        if (at + 1 < end) {
            if (const Refusal variable = Refusals::forVariable(t, tokens[at + 1]); variable.kind != Refusal::None) {
                Refusals::note(found.refusal, variable);
                at += 2;
                continue;
            }
        }
        const bool function = t.kind == CssToken::Function;
        std::size_t after = at;
        if (function) {
            int depth = 0;
            do {
                const CssToken::Kind kind = tokens[after].kind;
                depth += (kind == CssToken::Function || kind == CssToken::OpenParen) ? 1
                    : kind == CssToken::CloseParen                                  ? -1
                                                                                    : 0;
                ++after;
            } while (depth > 0 && after < end);
            if (depth > 0) {
                found.broken = true;
                return;
            }
        } else {
            ++after;
        }
        if (CssColorParser::startsColor(t) || t.kind == CssToken::Ident
            || (function && Refusals::forFunction(t.text).kind != Refusal::None)) {
            std::size_t next = at;
            const std::optional<Color> color = parser.color(next);
            if (color && next == after) {
                ++found.colors;
                found.color = color;
                found.first = at;
                found.last = after;
            } else if (CssColorParser::startsColor(t)) {
                found.broken = true;
            }
        } else if (function && t.text.find("gradient") != std::string_view::npos) {
            // A gradient's stops are colours of the same value.
            scan(tokens, at + 1, after - 1, found, true);
        } else if (function) {
            // Another function's colours are not the value's, but what stands in for
            // a value inside it still says why there is none: darken($link, 10%).
            Scan inside;
            scan(tokens, at + 1, after - 1, inside, true);
            Refusals::note(found.refusal, inside.refusal);
        }
        at = after;
    }
}

struct Source
{
    QStringView text;
    // Where each character of the lowered text stood in the original.
    std::array<qsizetype, ColorText::MaxLength + 1> at{};
};

class Reader
{
public:
    explicit Reader(const Source &source, ColorText::Reading &reading)
        : m_source(source)
        , m_reading(reading)
    {
    }

    void read(std::string_view text)
    {
        m_base = text.data();
        text = trimmed(withoutLineComment(trimmed(text)));
        if (!text.empty() && text.back() == ';')
            text = trimmed(text.substr(0, text.size() - 1));
        if (findOutside(text, ';') != std::string_view::npos) {
            declarations(text);
            return;
        }
        const std::size_t colon = findOutside(text, ':');
        if (colon != std::string_view::npos) {
            const std::string_view name = trimmed(text.substr(0, colon));
            const bool variable = name.size() > 1 && (name.front() == '$' || name.front() == '@');
            if (!isName(variable ? name.substr(1) : name))
                return;
            declaration(withoutFlags(text.substr(colon + 1)));
            return;
        }
        const std::size_t equals = findOutside(text, '=');
        if (equals != std::string_view::npos) {
            if (!isName(trimmed(text.substr(0, equals))))
                return;
            text = trimmed(text.substr(equals + 1));
        } else {
            text = withoutFlags(text);
        }
        if (!text.empty() && (text.front() == '"' || text.front() == '\'')) {
            if (unquoted(text).size() + 2 != text.size())
                return;
            text = trimmed(unquoted(text));
        }
        value(text, false);
    }

private:
    // Several declarations: a colour only if exactly one of them holds one.
    void declarations(std::string_view text)
    {
        int colors = 0;
        while (!text.empty()) {
            const std::size_t end = std::min(findOutside(text, ';'), text.size());
            const std::string_view one = trimmed(text.substr(0, end));
            const std::size_t colon = findOutside(one, ':');
            if (colon != std::string_view::npos) {
                const std::vector<CssToken> tokens = CssTokens::tokenize(withoutFlags(one.substr(colon + 1)));
                Scan found;
                scan(tokens, 0, tokens.size(), found, false);
                colors += found.colors;
            }
            text = text.substr(std::min(end + 1, text.size()));
        }
        if (colors > 1)
            m_reading.reason = Refusals::reason({Refusal::TwoColors, {}});
    }

    void declaration(std::string_view text)
    {
        value(trimmed(text), true);
    }

    // One colour alone, or, in a declaration, the only colour among other values.
    void value(std::string_view text, bool shorthand)
    {
        if (isHexCode(text)) {
            Color code;
            for (std::size_t i = 0; i < 3; ++i)
                code.channels[i] = std::stoi(std::string(text.substr(2 * i, 2)), nullptr, 16) / 255.0;
            m_reading.written = written(text.data(), text.data() + text.size());
            settle(code);
            return;
        }
        const std::vector<CssToken> tokens = CssTokens::tokenize(text);
        Scan found;
        scan(tokens, 0, tokens.size(), found, false);
        if (found.refusal.kind != Refusal::None) {
            m_reading.reason = Refusals::reason(found.refusal);
            return;
        }
        if (found.colors > 1) {
            m_reading.reason = Refusals::reason({Refusal::TwoColors, {}});
            return;
        }
        if (found.colors == 0 || found.broken || (!shorthand && found.components != 1))
            return;
        // "transparent" names no colour, only its absence.
        if (tokens[found.first].kind == CssToken::Ident && tokens[found.first].text == "transparent")
            return;
        const CssToken &first = tokens[found.first];
        const CssToken &last = tokens[found.last - 1];
        const char *begin = first.kind == CssToken::Hash ? first.text.data() - 1 : first.text.data();
        const char *end = last.kind == CssToken::CloseParen ? last.text.data() + 1 : last.text.data() + last.text.size();
        m_reading.written = written(begin, end);
        settle(*found.color);
    }

    void settle(const Color &color)
    {
        const ScreenColor::Drawn drawn = ScreenColor::of(color);
        m_reading.color = drawn.rgb;
        m_reading.outsideSrgb = drawn.clipped;
        m_reading.srgb = drawn.srgb;
    }

    // The original characters between two places of the lowered text.
    QString written(const char *begin, const char *end) const
    {
        const qsizetype from = m_source.at[std::size_t(begin - m_base)];
        const qsizetype to = m_source.at[std::size_t(end - 1 - m_base)] + 1;
        return m_source.text.mid(from, to - from).toString().simplified();
    }

    const Source &m_source;
    ColorText::Reading &m_reading;
    const char *m_base = nullptr;
};

} // namespace

namespace ColorText {

Reading interpret(QStringView text)
{
    Reading reading;
    if (text.size() > MaxLength)
        return reading;
    // Only ASCII letters fold: a letter elsewhere in Unicode that lower-cases to one
    // of them names nothing in a style sheet. Comments may hold anything and count
    // as a space, as in a style sheet.
    Source source;
    source.text = text;
    std::array<char, MaxLength + 1> lowered{};
    std::size_t size = 0;
    const QStringView inside = text.trimmed();
    const qsizetype offset = inside.data() - text.data();
    for (qsizetype i = 0; i < inside.size(); ++i) {
        const char16_t code = inside[i].unicode();
        if (code == '/' && i + 1 < inside.size() && inside[i + 1] == QLatin1Char('*')) {
            const qsizetype end = inside.indexOf(QLatin1String("*/"), i + 2);
            source.at[size] = offset + i;
            lowered[size++] = ' ';
            i = end < 0 ? inside.size() : end + 1;
            continue;
        }
        if (code > 0x7f)
            return reading;
        source.at[size] = offset + i;
        lowered[size++] = char(code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code);
    }
    Reader(source, reading).read(std::string_view(lowered.data(), size));
    return reading;
}

std::optional<QRgb> read(QStringView text)
{
    return interpret(text).color;
}

}
