#include "color/cssparser.h"

#include "color/colormix.h"
#include "color/csscolor.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Colours inside colours: deeper than this, a text is refused rather than followed.
constexpr int kMostDepth = 16;

const CssToken kEnd{CssToken::CloseParen, {}};

constexpr double kLargest = std::numeric_limits<float>::max();

// What a component's percentage stands for, and which kinds it takes.
struct Channel
{
    double percentOf; // 0: no percentage
    bool hue;
};

struct Notation
{
    std::string_view name;
    ColorSpace space;
    std::array<Channel, 3> channels;
    std::array<std::string_view, 3> keywords;
};

constexpr Notation kNotations[] = {
    {"rgb", ColorSpace::Srgb, {{{255, false}, {255, false}, {255, false}}}, {"r", "g", "b"}},
    {"hsl", ColorSpace::Hsl, {{{0, true}, {100, false}, {100, false}}}, {"h", "s", "l"}},
    {"hwb", ColorSpace::Hwb, {{{0, true}, {100, false}, {100, false}}}, {"h", "w", "b"}},
    {"lab", ColorSpace::Lab, {{{100, false}, {125, false}, {125, false}}}, {"l", "a", "b"}},
    {"lch", ColorSpace::Lch, {{{100, false}, {150, false}, {0, true}}}, {"l", "c", "h"}},
    {"oklab", ColorSpace::Oklab, {{{1, false}, {0.4, false}, {0.4, false}}}, {"l", "a", "b"}},
    {"oklch", ColorSpace::Oklch, {{{1, false}, {0.4, false}, {0, true}}}, {"l", "c", "h"}},
};

constexpr Notation kColorFunction = {"color", ColorSpace::Srgb, {{{1, false}, {1, false}, {1, false}}}, {"r", "g", "b"}};
constexpr std::array<std::string_view, 3> kXyzKeywords = {"x", "y", "z"};

// The system colours of CSS Color 4, current and deprecated.
constexpr std::string_view kSystemColors[] = {
    "accentcolor", "accentcolortext", "activeborder", "activecaption", "activetext", "appworkspace",
    "background", "buttonborder", "buttonface", "buttonhighlight", "buttonshadow", "buttontext",
    "canvas", "canvastext", "captiontext", "field", "fieldtext", "graytext", "highlight", "highlighttext",
    "inactiveborder", "inactivecaption", "inactivecaptiontext", "infobackground", "infotext", "linktext",
    "mark", "marktext", "menu", "menutext", "scrollbar", "selecteditem", "selecteditemtext",
    "threeddarkshadow", "threedface", "threedhighlight", "threedlightshadow", "threedshadow",
    "visitedtext", "window", "windowframe", "windowtext",
};

constexpr std::string_view kWideKeywords[] = {"inherit", "initial", "unset", "revert", "revert-layer"};

template<std::size_t N>
bool among(const std::string_view (&list)[N], std::string_view name)
{
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

const Notation *notation(std::string_view name)
{
    // rgba() and hsla() are other names of rgb() and hsl().
    if (name == "rgba")
        name = "rgb";
    else if (name == "hsla")
        name = "hsl";
    for (const Notation &n : kNotations) {
        if (n.name == name)
            return &n;
    }
    return nullptr;
}

// Infinite values stand for the largest a browser keeps; NaN, which no value may be
// in the end, for zero.
double settled(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, -kLargest, kLargest);
}

double normalizedHue(double degrees)
{
    const double hue = std::fmod(degrees, 360.0);
    return hue < 0 ? hue + 360 : hue;
}

// An rgb() component, 0..255: clamped and rounded to the nearest whole value, halves
// upwards, as browsers compute it from the number itself.
double byte(double value)
{
    return std::floor(std::clamp(value, 0.0, 255.0) + 0.5) / 255;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Components of the space, for "from": a colour converted, its missing
// components zero, each a number as the channel keywords give it.
ChannelKeywords keywordsFor(const Color &origin, const Notation &n, ColorSpace space)
{
    const Color converted = ColorSpaces::convert(origin, space);
    ChannelKeywords keywords;
    const bool xyz = space == ColorSpace::XyzD50 || space == ColorSpace::XyzD65;
    for (int i = 0; i < 3; ++i) {
        keywords.names[i] = xyz ? kXyzKeywords[i] : n.keywords[i];
        double value = converted.missing[i] ? 0 : converted.channels[i];
        if (n.space == ColorSpace::Srgb && n.name == "rgb")
            value *= 255;
        keywords.values[i] = value;
    }
    keywords.names[3] = "alpha";
    keywords.values[3] = origin.missing[3] ? 0 : origin.alpha;
    return keywords;
}

} // namespace

CssColorParser::CssColorParser(const std::vector<CssToken> &tokens, Refusal &refusal)
    : m_tokens(tokens)
    , m_refusal(refusal)
    , m_math(tokens, refusal)
{
}

bool CssColorParser::startsColor(const CssToken &token)
{
    if (token.kind == CssToken::Hash)
        return true;
    if (token.kind == CssToken::Function)
        return notation(token.text) || token.text == "color" || token.text == "color-mix";
    if (token.kind == CssToken::Ident)
        return token.text == "transparent" || CssColor::named(token.text).has_value();
    return false;
}

const CssToken &CssColorParser::token(std::size_t at) const
{
    return at < m_tokens.size() ? m_tokens[at] : kEnd;
}

void CssColorParser::skipSpace(std::size_t &at) const
{
    while (at < m_tokens.size() && m_tokens[at].kind == CssToken::Whitespace)
        ++at;
}

bool CssColorParser::closes(std::size_t &at) const
{
    skipSpace(at);
    if (at >= m_tokens.size() || m_tokens[at].kind != CssToken::CloseParen)
        return false;
    ++at;
    return true;
}

std::optional<Color> CssColorParser::color(std::size_t &at)
{
    const CssToken &t = token(at);
    if (at >= m_tokens.size())
        return std::nullopt;
    switch (t.kind) {
    case CssToken::Hash: {
        const std::string_view digits = t.text;
        const std::size_t size = digits.size();
        if (size != 3 && size != 4 && size != 6 && size != 8)
            return std::nullopt;
        std::array<int, 8> values{};
        for (std::size_t i = 0; i < size; ++i) {
            values[i] = hexDigit(digits[i]);
            if (values[i] < 0)
                return std::nullopt;
        }
        Color c;
        const bool shortForm = size <= 4;
        for (int i = 0; i < 4; ++i) {
            const int byte = shortForm ? values[i] * 17 : values[2 * i] * 16 + values[2 * i + 1];
            if (i < 3)
                c.channels[i] = byte / 255.0;
            else if (size == 4 || size == 8)
                c.alpha = byte / 255.0;
        }
        ++at;
        return c;
    }
    case CssToken::Ident:
        ++at;
        return keyword(t.text);
    case CssToken::Function:
        if (++m_depth > kMostDepth)
            return std::nullopt;
        {
            std::optional<Color> result = function(at);
            --m_depth;
            return result;
        }
    default:
        return std::nullopt;
    }
}

std::optional<Color> CssColorParser::keyword(std::string_view name)
{
    if (const std::optional<QRgb> named = CssColor::named(name)) {
        Color c;
        c.channels = {qRed(*named) / 255.0, qGreen(*named) / 255.0, qBlue(*named) / 255.0};
        return c;
    }
    if (name == "transparent") {
        Color c;
        c.alpha = 0;
        return c;
    }
    Refusal refusal;
    if (name == "currentcolor")
        refusal = {Refusal::CurrentColor, name};
    else if (among(kSystemColors, name))
        refusal = {Refusal::SystemColor, name};
    else if (among(kWideKeywords, name))
        refusal = {Refusal::WideKeyword, name};
    Refusals::note(m_refusal, refusal);
    return std::nullopt;
}

std::optional<CssColorParser::Component> CssColorParser::component(std::size_t &at,
                                                                    const ChannelKeywords *keywords)
{
    skipSpace(at);
    const CssToken &t = token(at);
    std::optional<CssQuantity> quantity;
    switch (t.kind) {
    case CssToken::Number:
        ++at;
        return Component{Component::Number, t.value};
    case CssToken::Percentage:
        ++at;
        return Component{Component::Percent, t.value};
    case CssToken::Dimension:
        ++at;
        quantity = m_math.dimension(t);
        break;
    case CssToken::Ident:
        ++at;
        if (t.text == "none")
            return Component{Component::None, 0};
        if (keywords) {
            if (const std::optional<double> value = keywords->find(t.text))
                return Component{Component::Number, *value};
        }
        return std::nullopt;
    case CssToken::Delim:
        // A Sass or LESS variable stands in for a value the text does not hold.
        Refusals::note(m_refusal, Refusals::forVariable(t, token(at + 1)));
        return std::nullopt;
    case CssToken::Function:
        if (CssMath::isMathFunction(t.text)) {
            quantity = m_math.evaluate(at, keywords);
            break;
        }
        Refusals::note(m_refusal, Refusals::forFunction(t.text));
        return std::nullopt;
    default:
        return std::nullopt;
    }
    if (!quantity)
        return std::nullopt;
    const double value = settled(quantity->value);
    switch (quantity->kind) {
    case CssQuantity::Number:
        return Component{Component::Number, value};
    case CssQuantity::Percent:
        return Component{Component::Percent, value};
    case CssQuantity::Angle:
        return Component{Component::Angle, value};
    case CssQuantity::Length:
        break;
    }
    return std::nullopt;
}

std::optional<Color> CssColorParser::function(std::size_t &at)
{
    const std::string_view name = token(at).text;
    if (name == "color-mix") {
        ++at;
        return mix(at);
    }
    if (const Refusal refusal = Refusals::forFunction(name); refusal.kind != Refusal::None) {
        Refusals::note(m_refusal, refusal);
        return std::nullopt;
    }
    if (name != "color" && !notation(name))
        return std::nullopt;
    ++at;
    // The comma-separated forms of rgb() and hsl(): all but the newest style sheets'.
    const Notation *n = notation(name);
    if (n && (n->space == ColorSpace::Srgb || n->space == ColorSpace::Hsl)) {
        std::size_t after = at;
        skipSpace(after);
        Refusal ignored;
        CssColorParser lookahead(m_tokens, ignored);
        if (lookahead.component(after, nullptr)) {
            skipSpace(after);
            if (token(after).kind == CssToken::Comma)
                return legacy(at, n->space == ColorSpace::Hsl);
        }
    }
    return modern(at, name);
}

// rgb(255, 128, 0), rgba(100%, 50%, 0%, 0.5), hsl(30, 100%, 50%): commas throughout,
// the three of rgb() all numbers or all percentages, no "none".
std::optional<Color> CssColorParser::legacy(std::size_t &at, bool hsl)
{
    std::array<Component, 4> values{};
    int count = 0;
    for (;;) {
        const std::optional<Component> value = component(at, nullptr);
        if (!value || value->kind == Component::None || count == 4)
            return std::nullopt;
        values[count++] = *value;
        skipSpace(at);
        if (token(at).kind == CssToken::Comma) {
            ++at;
            continue;
        }
        if (!closes(at))
            return std::nullopt;
        break;
    }
    if (count < 3)
        return std::nullopt;
    if (count == 4 && values[3].kind == Component::Angle)
        return std::nullopt;
    Color c;
    if (count == 4)
        c.alpha = std::clamp(values[3].kind == Component::Percent ? values[3].value / 100 : values[3].value, 0.0, 1.0);
    if (hsl) {
        if (values[0].kind == Component::Percent || values[1].kind != Component::Percent
            || values[2].kind != Component::Percent)
            return std::nullopt;
        c.space = ColorSpace::Hsl;
        c.channels = {normalizedHue(values[0].value), std::clamp(values[1].value, 0.0, 100.0),
                      std::clamp(values[2].value, 0.0, 100.0)};
        return c;
    }
    for (int i = 0; i < 3; ++i) {
        if (values[i].kind != values[0].kind || values[i].kind == Component::Angle)
            return std::nullopt;
        c.channels[i] = byte(values[i].kind == Component::Percent ? values[i].value * 255 / 100 : values[i].value);
    }
    return c;
}

// The space-separated forms, "none" allowed, the opacity after a slash; also
// relative to another colour.
std::optional<Color> CssColorParser::modern(std::size_t &at, std::string_view name)
{
    const Notation *n = name == "color" ? &kColorFunction : notation(name);
    ColorSpace space = n->space;
    std::optional<Color> origin;
    skipSpace(at);
    if (token(at).kind == CssToken::Ident && token(at).text == "from") {
        ++at;
        skipSpace(at);
        origin = color(at);
        if (!origin)
            return std::nullopt;
    }
    if (name == "color") {
        skipSpace(at);
        if (token(at).kind != CssToken::Ident)
            return std::nullopt;
        const std::optional<ColorSpace> predefined = ColorSpaces::predefined(token(at).text);
        if (!predefined)
            return std::nullopt;
        space = *predefined;
        ++at;
    }
    ChannelKeywords keywords;
    if (origin)
        keywords = keywordsFor(*origin, *n, space);
    const ChannelKeywords *known = origin ? &keywords : nullptr;

    Color c;
    c.space = space;
    for (int i = 0; i < 3; ++i) {
        const std::optional<Component> value = component(at, known);
        if (!value)
            return std::nullopt;
        const Channel &channel = n->channels[i];
        switch (value->kind) {
        case Component::None:
            c.missing[i] = true;
            break;
        case Component::Angle:
            if (!channel.hue)
                return std::nullopt;
            c.channels[i] = value->value;
            break;
        case Component::Percent:
            if (channel.hue)
                return std::nullopt;
            c.channels[i] = value->value * channel.percentOf / 100;
            break;
        case Component::Number:
            c.channels[i] = value->value;
            break;
        }
    }
    skipSpace(at);
    if (token(at).kind == CssToken::Delim && token(at).text == "/") {
        ++at;
        const std::optional<Component> alpha = component(at, known);
        if (!alpha || alpha->kind == Component::Angle)
            return std::nullopt;
        if (alpha->kind == Component::None)
            c.missing[3] = true;
        else
            c.alpha = std::clamp(alpha->kind == Component::Percent ? alpha->value / 100 : alpha->value, 0.0, 1.0);
    } else if (origin) {
        c.alpha = origin->alpha;
        c.missing[3] = origin->missing[3];
    }
    if (!closes(at))
        return std::nullopt;

    // What each function keeps within its range when it computes the colour.
    switch (space) {
    case ColorSpace::Srgb:
        if (name != "color") {
            for (int i = 0; i < 3; ++i)
                c.channels[i] = origin ? c.channels[i] / 255 : byte(c.channels[i]);
        }
        break;
    case ColorSpace::Hsl:
    case ColorSpace::Hwb:
        c.channels[0] = normalizedHue(c.channels[0]);
        if (space == ColorSpace::Hsl && !origin) {
            c.channels[1] = std::clamp(c.channels[1], 0.0, 100.0);
            c.channels[2] = std::clamp(c.channels[2], 0.0, 100.0);
        }
        break;
    case ColorSpace::Lab:
        c.channels[0] = std::clamp(c.channels[0], 0.0, 100.0);
        break;
    case ColorSpace::Lch:
        c.channels[0] = std::clamp(c.channels[0], 0.0, 100.0);
        c.channels[1] = std::max(c.channels[1], 0.0);
        c.channels[2] = normalizedHue(c.channels[2]);
        break;
    case ColorSpace::Oklab:
        c.channels[0] = std::clamp(c.channels[0], 0.0, 1.0);
        break;
    case ColorSpace::Oklch:
        c.channels[0] = std::clamp(c.channels[0], 0.0, 1.0);
        c.channels[1] = std::max(c.channels[1], 0.0);
        c.channels[2] = normalizedHue(c.channels[2]);
        break;
    default:
        break;
    }
    return c;
}

// A weight of color-mix(): a percentage from 0 to 100.
std::optional<double> CssColorParser::mixWeight(std::size_t &at)
{
    const CssToken &t = token(at);
    std::optional<CssQuantity> quantity;
    if (t.kind == CssToken::Percentage) {
        ++at;
        quantity = CssQuantity{CssQuantity::Percent, t.value};
    } else if (t.kind == CssToken::Function && CssMath::isMathFunction(t.text)) {
        quantity = m_math.evaluate(at, nullptr);
    } else {
        return std::nullopt;
    }
    if (!quantity || quantity->kind != CssQuantity::Percent)
        return std::nullopt;
    const double value = settled(quantity->value);
    if (value < 0 || value > 100)
        return std::nullopt;
    return value;
}

// color-mix([in <space> [<hue method> hue]] , <color> [<p>], <color> [<p>]): without
// "in", the colours mix in OKLab.
std::optional<Color> CssColorParser::mix(std::size_t &at)
{
    ColorSpace space = ColorSpace::Oklab;
    ColorMix::HueMethod method = ColorMix::HueMethod::Shorter;
    skipSpace(at);
    if (token(at).kind == CssToken::Ident && token(at).text == "in") {
        ++at;
        skipSpace(at);
        const std::optional<ColorSpace> named =
            token(at).kind == CssToken::Ident ? ColorSpaces::interpolation(token(at).text) : std::nullopt;
        if (!named)
            return std::nullopt;
        space = *named;
        ++at;
        skipSpace(at);
        if (token(at).kind == CssToken::Ident && token(at).text != "hue") {
            if (ColorSpaces::hueIndex(space) < 0)
                return std::nullopt;
            const std::string_view word = token(at).text;
            if (word == "shorter")
                method = ColorMix::HueMethod::Shorter;
            else if (word == "longer")
                method = ColorMix::HueMethod::Longer;
            else if (word == "increasing")
                method = ColorMix::HueMethod::Increasing;
            else if (word == "decreasing")
                method = ColorMix::HueMethod::Decreasing;
            else
                return std::nullopt;
            ++at;
            skipSpace(at);
            if (token(at).kind != CssToken::Ident || token(at).text != "hue")
                return std::nullopt;
            ++at;
            skipSpace(at);
        }
        if (token(at).kind != CssToken::Comma)
            return std::nullopt;
        ++at;
    }
    std::array<Color, 2> colors;
    std::array<std::optional<double>, 2> weights;
    for (int i = 0; i < 2; ++i) {
        if (i == 1) {
            skipSpace(at);
            if (token(at).kind != CssToken::Comma)
                return std::nullopt;
            ++at;
        }
        skipSpace(at);
        weights[i] = mixWeight(at);
        skipSpace(at);
        const std::optional<Color> c = color(at);
        if (!c)
            return std::nullopt;
        colors[i] = *c;
        skipSpace(at);
        if (!weights[i]) {
            weights[i] = mixWeight(at);
            if (!weights[i] && m_refusal.kind != Refusal::None)
                return std::nullopt;
        }
    }
    if (!closes(at))
        return std::nullopt;
    // One weight given: the other is what it leaves of 100%; none, half each.
    const double first = weights[0].value_or(weights[1] ? 100 - *weights[1] : 50);
    const double second = weights[1].value_or(100 - first);
    if (first + second <= 0) {
        // Both at 0%: an even mix, wholly transparent.
        Color result = ColorMix::mix(colors[0], 50, colors[1], 50, space, method);
        result.alpha = 0;
        return result;
    }
    return ColorMix::mix(colors[0], first, colors[1], second, space, method);
}
