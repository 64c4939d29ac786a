#pragma once

#include "color/colorspace.h"
#include "color/cssmath.h"
#include "color/csstokens.h"
#include "color/refusal.h"

#include <optional>
#include <vector>

// One colour value of CSS Color 4 and 5 among a value's tokens: a hexadecimal code, a
// named colour, rgb(), hsl(), hwb(), lab(), lch(), oklab(), oklch(), color() in every
// predefined space, each also relative to another colour ("from"), and color-mix(),
// with math functions anywhere a component goes. Whatever only a page can resolve
// (var(), currentColor, system colours, light-dark()) is refused, and says so.
class CssColorParser
{
public:
    CssColorParser(const std::vector<CssToken> &tokens, Refusal &refusal);

    // The colour whose first token is at `at`; `at` moves past it. "transparent" is
    // a colour here, as inside color-mix().
    std::optional<Color> color(std::size_t &at);

    // Whether the identifier or function name could begin a colour in CSS.
    static bool startsColor(const CssToken &token);

private:
    struct Component
    {
        enum Kind { Number, Percent, Angle, None };
        Kind kind = Number;
        double value = 0;
    };

    const CssToken &token(std::size_t at) const;
    void skipSpace(std::size_t &at) const;
    bool closes(std::size_t &at) const;
    std::optional<Component> component(std::size_t &at, const ChannelKeywords *keywords);
    std::optional<Color> keyword(std::string_view name);
    std::optional<Color> function(std::size_t &at);
    std::optional<Color> legacy(std::size_t &at, bool hsl);
    std::optional<Color> modern(std::size_t &at, std::string_view name);
    std::optional<Color> mix(std::size_t &at);
    std::optional<double> mixWeight(std::size_t &at);

    const std::vector<CssToken> &m_tokens;
    Refusal &m_refusal;
    CssMath m_math;
    int m_depth = 0;
};
