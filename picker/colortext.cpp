#include "picker/colortext.h"

#include "picker/csscolor.h"

#include <QString>

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace {

constexpr double kPi = 3.14159265358979323846;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return c >= 'a' && c <= 'z';
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

int hexDigit(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Three or four digits stand for six or eight, each one doubled; the fourth pair,
// the opacity, is read and dropped.
std::optional<QRgb> fromHex(std::string_view digits)
{
    const std::size_t size = digits.size();
    if (size != 3 && size != 4 && size != 6 && size != 8)
        return std::nullopt;
    std::array<int, 8> values{};
    for (std::size_t i = 0; i < size; ++i) {
        values[i] = hexDigit(digits[i]);
        if (values[i] < 0)
            return std::nullopt;
    }
    if (size <= 4)
        return qRgb(values[0] * 17, values[1] * 17, values[2] * 17);
    return qRgb(values[0] * 16 + values[1], values[2] * 16 + values[3], values[4] * 16 + values[5]);
}

// One argument of a colour function.
struct Argument
{
    enum Kind { Number, Percent, Angle, None };
    Kind kind;
    double value; // an angle in degrees
};

// Reads the arguments of rgb() and hsl() one by one, as a style sheet's tokens.
class Arguments
{
public:
    explicit Arguments(std::string_view text)
        : m_text(text)
    {
    }

    bool atEnd()
    {
        skipSpace();
        return m_at == m_text.size();
    }

    bool take(char separator)
    {
        skipSpace();
        if (m_at == m_text.size() || m_text[m_at] != separator)
            return false;
        ++m_at;
        return true;
    }

    std::optional<Argument> next()
    {
        skipSpace();
        if (m_text.substr(m_at, 4) == "none" && !isLetter(peek(4))) {
            m_at += 4;
            return Argument{Argument::None, 0.0};
        }
        const std::optional<double> number = this->number();
        if (!number)
            return std::nullopt;
        if (peek(0) == '%') {
            ++m_at;
            return Argument{Argument::Percent, *number};
        }
        const std::size_t unitStart = m_at;
        while (isLetter(peek(0)))
            ++m_at;
        const std::string_view unit = m_text.substr(unitStart, m_at - unitStart);
        if (unit.empty())
            return Argument{Argument::Number, *number};
        if (unit == "deg")
            return Argument{Argument::Angle, *number};
        if (unit == "grad")
            return Argument{Argument::Angle, *number * 0.9};
        if (unit == "rad")
            return Argument{Argument::Angle, *number * 180.0 / kPi};
        if (unit == "turn")
            return Argument{Argument::Angle, *number * 360.0};
        return std::nullopt;
    }

private:
    char peek(std::size_t offset) const
    {
        return m_at + offset < m_text.size() ? m_text[m_at + offset] : '\0';
    }

    void skipSpace()
    {
        while (isSpace(peek(0)))
            ++m_at;
    }

    std::size_t digits()
    {
        const std::size_t start = m_at;
        while (isDigit(peek(0)))
            ++m_at;
        return m_at - start;
    }

    // A number as style sheets spell it: a sign, digits with at most one point and at
    // least one digit after it, an exponent. Read without the locale's decimal sign.
    std::optional<double> number()
    {
        double sign = 1.0;
        if (peek(0) == '+' || peek(0) == '-') {
            sign = peek(0) == '-' ? -1.0 : 1.0;
            ++m_at;
        }
        const std::size_t start = m_at;
        const std::size_t whole = digits();
        if (peek(0) == '.' && isDigit(peek(1))) {
            ++m_at;
            digits();
        } else if (whole == 0) {
            return std::nullopt;
        }
        double mantissa = 0.0;
        std::from_chars(m_text.data() + start, m_text.data() + m_at, mantissa);
        int exponent = 0;
        const bool signedExponent = peek(1) == '+' || peek(1) == '-';
        if (peek(0) == 'e' && isDigit(peek(signedExponent ? 2 : 1))) {
            const bool negative = peek(1) == '-';
            m_at += signedExponent ? 2 : 1;
            while (isDigit(peek(0))) {
                // Far beyond any double; the value is then infinite or zero anyway.
                exponent = std::min(exponent * 10 + (peek(0) - '0'), 100000);
                ++m_at;
            }
            if (negative)
                exponent = -exponent;
        }
        if (mantissa == 0.0)
            return 0.0;
        return sign * mantissa * std::pow(10.0, exponent);
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

// rgb(), rgba(), hsl() and hsla(): three values separated by commas, with an opacity
// after a fourth comma; or by whitespace, with the opacity after a slash. Only the
// second, newer way allows "none" and mixed kinds of value.
std::optional<QRgb> fromFunction(std::string_view name, std::string_view inside)
{
    const bool hsl = name == "hsl" || name == "hsla";
    if (!hsl && name != "rgb" && name != "rgba")
        return std::nullopt;
    Arguments arguments(inside);
    std::array<Argument, 3> values{};
    std::optional<Argument> value = arguments.next();
    if (!value)
        return std::nullopt;
    values[0] = *value;
    const bool commas = arguments.take(',');
    for (int i = 1; i < 3; ++i) {
        if (i == 2 && commas && !arguments.take(','))
            return std::nullopt;
        value = arguments.next();
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    if (commas ? arguments.take(',') : arguments.take('/')) {
        const std::optional<Argument> opacity = arguments.next();
        if (!opacity || opacity->kind == Argument::Angle || (commas && opacity->kind == Argument::None))
            return std::nullopt;
    }
    if (!arguments.atEnd())
        return std::nullopt;

    for (const Argument &argument : values) {
        if (commas && argument.kind == Argument::None)
            return std::nullopt;
    }
    if (hsl) {
        const Argument &hue = values[0];
        if (hue.kind == Argument::Percent)
            return std::nullopt;
        for (int i = 1; i < 3; ++i) {
            const Argument::Kind kind = values[i].kind;
            if (kind == Argument::Angle || (commas && kind != Argument::Percent))
                return std::nullopt;
        }
        return CssColor::fromHsl(hue.value, values[1].value, values[2].value);
    }
    std::array<int, 3> components{};
    for (int i = 0; i < 3; ++i) {
        const Argument &argument = values[i];
        if (argument.kind == Argument::Angle || (commas && argument.kind != values[0].kind))
            return std::nullopt;
        components[i] = CssColor::channel(argument.value, argument.kind == Argument::Percent);
    }
    return qRgb(components[0], components[1], components[2]);
}

std::optional<QRgb> fromValue(std::string_view value)
{
    value = trimmed(value);
    if (value.empty())
        return std::nullopt;
    if (value.front() == '#')
        return fromHex(value.substr(1));
    if (value.size() == 6) {
        if (const std::optional<QRgb> code = fromHex(value))
            return code;
    }
    const std::size_t open = value.find('(');
    if (open != std::string_view::npos) {
        if (value.back() != ')')
            return std::nullopt;
        return fromFunction(value.substr(0, open), value.substr(open + 1, value.size() - open - 2));
    }
    return CssColor::named(value);
}

// "name: value", with or without the semicolon, and name="value", with double,
// single or no quotes; a value alone may stand in quotes too.
std::optional<QRgb> fromText(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        if (!isName(trimmed(text.substr(0, colon))))
            return std::nullopt;
        std::string_view value = trimmed(text.substr(colon + 1));
        if (!value.empty() && value.back() == ';')
            value.remove_suffix(1);
        return fromValue(value);
    }
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
        if (!isName(trimmed(text.substr(0, equals))))
            return std::nullopt;
        text = trimmed(text.substr(equals + 1));
    }
    if (!text.empty() && (text.front() == '"' || text.front() == '\'')) {
        if (text.size() < 2 || text.back() != text.front())
            return std::nullopt;
        text = text.substr(1, text.size() - 2);
    }
    return fromValue(text);
}

} // namespace

namespace ColorText {

std::optional<QRgb> read(QStringView text)
{
    if (text.size() > MaxLength)
        return std::nullopt;
    // Only ASCII letters fold: a letter elsewhere in Unicode that lower-cases to one
    // of them names nothing in a style sheet.
    std::string lowered;
    for (QChar c : text.trimmed()) {
        const char16_t code = c.unicode();
        if (code > 0x7f)
            return std::nullopt;
        lowered += char(code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code);
    }
    return fromText(lowered);
}

}
