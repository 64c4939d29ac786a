#pragma once

#include "color/csstokens.h"
#include "color/refusal.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

// A number, a percentage, an angle or a length, as CSS's math functions type them.
struct CssQuantity
{
    enum Kind { Number, Percent, Angle, Length };
    Kind kind = Number;
    double value = 0; // an angle in degrees, a length in pixels
};

// The channel keywords of a relative colour ("r", "l", "alpha", …), each a number.
struct ChannelKeywords
{
    std::array<std::string_view, 4> names{};
    std::array<double, 4> values{};

    std::optional<double> find(std::string_view name) const;
};

// calc(), min(), max(), clamp() and the other math functions of CSS Values 4 over
// numbers, percentages, angles and absolute lengths, evaluated in full: a text that
// holds a length relative to the page (em, vw) says so instead.
class CssMath
{
public:
    CssMath(const std::vector<CssToken> &tokens, Refusal &refusal);

    static bool isMathFunction(std::string_view name);

    // The function whose name token is at `at`; `at` moves past its parenthesis.
    // Infinities and NaN stay as they are, for the caller to settle.
    std::optional<CssQuantity> evaluate(std::size_t &at, const ChannelKeywords *keywords);

    // A dimension's value, or nothing for a unit that is no angle or absolute length.
    std::optional<CssQuantity> dimension(const CssToken &token);

private:
    const CssToken &token(std::size_t at) const;
    void skipSpace(std::size_t &at) const;
    std::optional<CssQuantity> function(std::size_t &at);
    std::optional<CssQuantity> sum(std::size_t &at);
    std::optional<CssQuantity> product(std::size_t &at);
    std::optional<CssQuantity> value(std::size_t &at);
    bool arguments(std::size_t &at, std::vector<CssQuantity> &values);

    const std::vector<CssToken> &m_tokens;
    Refusal &m_refusal;
    const ChannelKeywords *m_keywords = nullptr;
    int m_depth = 0;
};
