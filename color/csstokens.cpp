#include "color/csstokens.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || isDigit(c) || c == '-';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

class Tokenizer
{
public:
    explicit Tokenizer(std::string_view text)
        : m_text(text)
    {
    }

    std::vector<CssToken> run()
    {
        std::vector<CssToken> tokens;
        tokens.reserve(m_text.size() / 2 + 4);
        while (m_at < m_text.size()) {
            CssToken token = next();
            if (token.kind == CssToken::Whitespace && !tokens.empty() && tokens.back().kind == CssToken::Whitespace)
                continue;
            tokens.push_back(token);
        }
        return tokens;
    }

private:
    char peek(std::size_t offset = 0) const
    {
        return m_at + offset < m_text.size() ? m_text[m_at + offset] : '\0';
    }

    // An identifier may also start with one hyphen before a name character, or two.
    bool startsName(std::size_t offset) const
    {
        const char c = peek(offset);
        if (c == '-')
            return isNameStart(peek(offset + 1)) || peek(offset + 1) == '-';
        return isNameStart(c);
    }

    bool startsNumber() const
    {
        std::size_t offset = 0;
        if (peek() == '+' || peek() == '-')
            offset = 1;
        return isDigit(peek(offset)) || (peek(offset) == '.' && isDigit(peek(offset + 1)));
    }

    std::string_view name()
    {
        const std::size_t start = m_at;
        while (isNameChar(peek()))
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

    CssToken single(CssToken::Kind kind)
    {
        const CssToken token{kind, m_text.substr(m_at, 1)};
        ++m_at;
        return token;
    }

    CssToken next()
    {
        const char c = peek();
        if (isSpace(c) || (c == '/' && peek(1) == '*')) {
            skipSpaceAndComments();
            return {CssToken::Whitespace, {}};
        }
        if (startsNumber())
            return number();
        if (startsName(0)) {
            const std::string_view text = name();
            if (peek() == '(') {
                ++m_at;
                return {CssToken::Function, text};
            }
            return {CssToken::Ident, text};
        }
        switch (c) {
        case '#':
            if (isNameChar(peek(1))) {
                ++m_at;
                return {CssToken::Hash, name()};
            }
            break;
        case '"':
        case '\'':
            return string(c);
        case ',':
            return single(CssToken::Comma);
        case ':':
            return single(CssToken::Colon);
        case ';':
            return single(CssToken::Semicolon);
        case '(':
            return single(CssToken::OpenParen);
        case ')':
            return single(CssToken::CloseParen);
        case '\\':
            return single(CssToken::BadToken);
        default:
            break;
        }
        return single(CssToken::Delim);
    }

    void skipSpaceAndComments()
    {
        for (;;) {
            if (isSpace(peek())) {
                ++m_at;
            } else if (peek() == '/' && peek(1) == '*') {
                const std::size_t end = m_text.find("*/", m_at + 2);
                m_at = end == std::string_view::npos ? m_text.size() : end + 2;
            } else {
                return;
            }
        }
    }

    CssToken string(char quote)
    {
        const std::size_t start = ++m_at;
        while (m_at < m_text.size() && m_text[m_at] != quote) {
            if (m_text[m_at] == '\\' || m_text[m_at] == '\n')
                return {CssToken::BadToken, m_text.substr(start - 1, m_at - start + 1)};
            ++m_at;
        }
        if (m_at == m_text.size())
            return {CssToken::BadToken, m_text.substr(start - 1)};
        ++m_at;
        return {CssToken::String, m_text.substr(start, m_at - start - 1)};
    }

    CssToken number()
    {
        const std::size_t start = m_at;
        bool negative = false;
        if (peek() == '+' || peek() == '-') {
            negative = peek() == '-';
            ++m_at;
        }
        const std::size_t unsignedStart = m_at;
        bool integer = true;
        while (isDigit(peek()))
            ++m_at;
        if (peek() == '.' && isDigit(peek(1))) {
            integer = false;
            m_at += 2;
            while (isDigit(peek()))
                ++m_at;
        }
        const std::size_t exponentSign = (peek(1) == '+' || peek(1) == '-') ? 1 : 0;
        if (peek() == 'e' && isDigit(peek(1 + exponentSign))) {
            integer = false;
            m_at += 1 + exponentSign;
            while (isDigit(peek()))
                ++m_at;
        }
        double value = 0;
        const char *first = m_text.data() + unsignedStart;
        const char *last = m_text.data() + m_at;
        const std::from_chars_result read = std::from_chars(first, last, value);
        if (read.ec == std::errc::result_out_of_range) {
            // Beyond every double, or below the least: as far as a double goes.
            const std::size_t e = m_text.find('e', unsignedStart);
            const bool tiny = e < m_at && m_text[e + 1] == '-';
            value = tiny ? 0.0 : HUGE_VAL;
        }
        // Browsers keep numbers in single precision's range: 1e39 is 3.40282e38.
        value = std::min(value, double(std::numeric_limits<float>::max()));
        if (negative)
            value = -value;
        CssToken token{CssToken::Number, m_text.substr(start, m_at - start), value, integer};
        if (peek() == '%') {
            ++m_at;
            token.kind = CssToken::Percentage;
        } else if (startsName(0)) {
            token.kind = CssToken::Dimension;
            token.text = name();
        }
        return token;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace

namespace CssTokens {

std::vector<CssToken> tokenize(std::string_view text)
{
    return Tokenizer(text).run();
}

}
