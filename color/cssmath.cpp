#include "color/cssmath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Deeper than any colour a person writes; a text of nested parentheses stops here
// instead of on the stack's end.
constexpr int kMostDepth = 32;

const CssToken kEnd{CssToken::CloseParen, {}};

struct Unit
{
    std::string_view name;
    CssQuantity::Kind kind;
    double factor;
};

constexpr Unit kUnits[] = {
    {"deg", CssQuantity::Angle, 1},
    {"grad", CssQuantity::Angle, 0.9},
    {"rad", CssQuantity::Angle, 180 / kPi},
    {"turn", CssQuantity::Angle, 360},
    {"px", CssQuantity::Length, 1},
    {"cm", CssQuantity::Length, 96 / 2.54},
    {"mm", CssQuantity::Length, 96 / 25.4},
    {"q", CssQuantity::Length, 96 / 101.6},
    {"in", CssQuantity::Length, 96},
    {"pt", CssQuantity::Length, 96.0 / 72},
    {"pc", CssQuantity::Length, 16},
};

// Lengths that only a page, its fonts and its viewport can measure.
bool isRelativeLength(std::string_view unit)
{
    static constexpr std::string_view kRelative[] = {
        "em", "rem", "ex", "rex", "cap", "rcap", "ch", "rch", "ic", "ric", "lh", "rlh", "vw", "vh", "vi", "vb",
        "vmin", "vmax", "svw", "svh", "svi", "svb", "svmin", "svmax", "lvw", "lvh", "lvi", "lvb", "lvmin",
        "lvmax", "dvw", "dvh", "dvi", "dvb", "dvmin", "dvmax", "cqw", "cqh", "cqi", "cqb", "cqmin", "cqmax",
    };
    return std::find(std::begin(kRelative), std::end(kRelative), unit) != std::end(kRelative);
}

bool sameKind(const std::vector<CssQuantity> &values)
{
    return std::all_of(values.begin(), values.end(),
                       [&](const CssQuantity &q) { return q.kind == values.front().kind; });
}

// CSS's round(): the multiple of the step by a strategy, halfway cases upwards.
double rounded(std::string_view strategy, double value, double step)
{
    if (step == 0)
        return NAN;
    if (std::isinf(value))
        return std::isinf(step) ? NAN : value;
    if (std::isinf(step))
        return strategy == "up" ? (value > 0 ? INFINITY : std::copysign(0.0, value))
            : strategy == "down" ? (value < 0 ? -INFINITY : std::copysign(0.0, value))
                                 : std::copysign(0.0, value);
    const double lower = std::floor(value / step) * step;
    const double upper = lower + std::fabs(step) * (step < 0 ? -1 : 1);
    const double down = std::min(lower, upper);
    const double up = std::max(lower, upper);
    if (strategy == "up")
        return up;
    if (strategy == "down")
        return down;
    if (strategy == "to-zero")
        return std::fabs(down) < std::fabs(up) ? down : up;
    return value - down < up - value ? down : up;
}

} // namespace

std::optional<double> ChannelKeywords::find(std::string_view name) const
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!names[i].empty() && names[i] == name)
            return values[i];
    }
    return std::nullopt;
}

CssMath::CssMath(const std::vector<CssToken> &tokens, Refusal &refusal)
    : m_tokens(tokens)
    , m_refusal(refusal)
{
}

bool CssMath::isMathFunction(std::string_view name)
{
    static constexpr std::string_view kNames[] = {
        "calc", "min", "max", "clamp", "round", "mod", "rem", "abs", "sign", "sin", "cos", "tan",
        "asin", "acos", "atan", "atan2", "pow", "sqrt", "hypot", "log", "exp",
    };
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

std::optional<CssQuantity> CssMath::evaluate(std::size_t &at, const ChannelKeywords *keywords)
{
    m_keywords = keywords;
    return function(at);
}

const CssToken &CssMath::token(std::size_t at) const
{
    return at < m_tokens.size() ? m_tokens[at] : kEnd;
}

void CssMath::skipSpace(std::size_t &at) const
{
    while (at < m_tokens.size() && m_tokens[at].kind == CssToken::Whitespace)
        ++at;
}

std::optional<CssQuantity> CssMath::dimension(const CssToken &token)
{
    for (const Unit &unit : kUnits) {
        if (unit.name == token.text)
            return CssQuantity{unit.kind, token.value * unit.factor};
    }
    if (isRelativeLength(token.text))
        Refusals::note(m_refusal, {Refusal::RelativeLength, token.text});
    return std::nullopt;
}

// The arguments up to the closing parenthesis, separated by commas.
bool CssMath::arguments(std::size_t &at, std::vector<CssQuantity> &values)
{
    for (;;) {
        const std::optional<CssQuantity> argument = sum(at);
        if (!argument)
            return false;
        values.push_back(*argument);
        skipSpace(at);
        if (token(at).kind == CssToken::CloseParen) {
            ++at;
            return true;
        }
        if (token(at).kind != CssToken::Comma)
            return false;
        ++at;
    }
}

std::optional<CssQuantity> CssMath::function(std::size_t &at)
{
    const std::string_view name = token(at).text;
    ++at;
    if (++m_depth > kMostDepth)
        return std::nullopt;
    struct Leave
    {
        int &depth;
        ~Leave() { --depth; }
    } leave{m_depth};

    // round()'s first argument may name how it rounds.
    std::string_view strategy = "nearest";
    if (name == "round") {
        skipSpace(at);
        const std::string_view word = token(at).text;
        if (token(at).kind == CssToken::Ident
            && (word == "nearest" || word == "up" || word == "down" || word == "to-zero")) {
            strategy = word;
            ++at;
            skipSpace(at);
            if (token(at).kind != CssToken::Comma)
                return std::nullopt;
            ++at;
        }
    }
    std::vector<CssQuantity> args;
    if (!arguments(at, args))
        return std::nullopt;
    const std::size_t count = args.size();
    const CssQuantity &a = args[0];
    const auto number = [](double v) { return CssQuantity{CssQuantity::Number, v}; };
    const auto angle = [](double v) { return CssQuantity{CssQuantity::Angle, v}; };
    const auto allNumbers = [&] {
        return std::all_of(args.begin(), args.end(), [](const CssQuantity &q) { return q.kind == CssQuantity::Number; });
    };

    if (name == "calc")
        return count == 1 ? std::optional(a) : std::nullopt;
    if (name == "min" || name == "max") {
        if (!sameKind(args))
            return std::nullopt;
        CssQuantity result = a;
        for (const CssQuantity &q : args) {
            if (std::isnan(q.value) || std::isnan(result.value))
                result.value = NAN;
            else
                result.value = name == "min" ? std::min(result.value, q.value) : std::max(result.value, q.value);
        }
        return result;
    }
    if (name == "clamp") {
        if (count != 3 || !sameKind(args))
            return std::nullopt;
        CssQuantity result = args[1];
        result.value = std::max(args[0].value, std::min(args[1].value, args[2].value));
        if (std::isnan(args[0].value) || std::isnan(args[1].value) || std::isnan(args[2].value))
            result.value = NAN;
        return result;
    }
    if (name == "round") {
        if (count > 2 || !sameKind(args) || (count == 1 && a.kind != CssQuantity::Number))
            return std::nullopt;
        return CssQuantity{a.kind, rounded(strategy, a.value, count == 2 ? args[1].value : 1.0)};
    }
    if (name == "mod" || name == "rem") {
        if (count != 2 || !sameKind(args))
            return std::nullopt;
        const double b = args[1].value;
        double result = std::fmod(a.value, b);
        if (name == "mod" && result != 0 && (result < 0) != (b < 0))
            result += b;
        if (name == "mod" && std::isinf(b) && !std::isinf(a.value) && a.value != 0 && (a.value < 0) != (b < 0))
            result = NAN;
        return CssQuantity{a.kind, result};
    }
    if (name == "abs")
        return count == 1 ? std::optional(CssQuantity{a.kind, std::fabs(a.value)}) : std::nullopt;
    if (name == "sign") {
        if (count != 1)
            return std::nullopt;
        const double v = a.value;
        return number(std::isnan(v) ? v : v > 0 ? 1.0 : v < 0 ? -1.0 : v);
    }
    if (name == "sin" || name == "cos" || name == "tan") {
        if (count != 1 || (a.kind != CssQuantity::Number && a.kind != CssQuantity::Angle))
            return std::nullopt;
        const double radians = a.kind == CssQuantity::Angle ? a.value * kPi / 180 : a.value;
        return number(name == "sin" ? std::sin(radians) : name == "cos" ? std::cos(radians) : std::tan(radians));
    }
    if (name == "asin" || name == "acos" || name == "atan") {
        if (count != 1 || a.kind != CssQuantity::Number)
            return std::nullopt;
        const double radians = name == "asin" ? std::asin(a.value) : name == "acos" ? std::acos(a.value)
                                                                                  : std::atan(a.value);
        return angle(radians * 180 / kPi);
    }
    if (name == "atan2") {
        if (count != 2 || !sameKind(args))
            return std::nullopt;
        return angle(std::atan2(a.value, args[1].value) * 180 / kPi);
    }
    if (name == "pow")
        return count == 2 && allNumbers() ? std::optional(number(std::pow(a.value, args[1].value))) : std::nullopt;
    if (name == "sqrt")
        return count == 1 && allNumbers() ? std::optional(number(std::sqrt(a.value))) : std::nullopt;
    if (name == "exp")
        return count == 1 && allNumbers() ? std::optional(number(std::exp(a.value))) : std::nullopt;
    if (name == "log") {
        if (count > 2 || !allNumbers())
            return std::nullopt;
        return number(count == 2 ? std::log(a.value) / std::log(args[1].value) : std::log(a.value));
    }
    if (name == "hypot") {
        if (!sameKind(args))
            return std::nullopt;
        double squares = 0;
        for (const CssQuantity &q : args)
            squares += q.value * q.value;
        return CssQuantity{a.kind, std::sqrt(squares)};
    }
    return std::nullopt;
}

// Sums and differences: + and - need whitespace on both sides, as CSS says.
std::optional<CssQuantity> CssMath::sum(std::size_t &at)
{
    skipSpace(at);
    std::optional<CssQuantity> result = product(at);
    for (;;) {
        if (!result)
            return std::nullopt;
        if (token(at).kind != CssToken::Whitespace)
            return result;
        std::size_t next = at + 1;
        const CssToken &op = token(next);
        if (op.kind != CssToken::Delim || (op.text != "+" && op.text != "-")
            || token(next + 1).kind != CssToken::Whitespace)
            return result;
        next += 2;
        const std::optional<CssQuantity> right = product(next);
        if (!right || right->kind != result->kind)
            return std::nullopt;
        result->value = op.text == "+" ? result->value + right->value : result->value - right->value;
        at = next;
    }
}

std::optional<CssQuantity> CssMath::product(std::size_t &at)
{
    skipSpace(at);
    std::optional<CssQuantity> result = value(at);
    for (;;) {
        if (!result)
            return std::nullopt;
        std::size_t next = at;
        skipSpace(next);
        const CssToken &op = token(next);
        if (op.kind != CssToken::Delim || (op.text != "*" && op.text != "/"))
            return result;
        ++next;
        skipSpace(next);
        const std::optional<CssQuantity> right = value(next);
        if (!right)
            return std::nullopt;
        if (op.text == "*") {
            if (result->kind != CssQuantity::Number && right->kind != CssQuantity::Number)
                return std::nullopt;
            const CssQuantity::Kind kind = result->kind == CssQuantity::Number ? right->kind : result->kind;
            result = CssQuantity{kind, result->value * right->value};
        } else if (right->kind == CssQuantity::Number) {
            result->value /= right->value;
        } else if (right->kind == result->kind && right->kind != CssQuantity::Percent) {
            // A length over a length, an angle over an angle: a plain number.
            result = CssQuantity{CssQuantity::Number, result->value / right->value};
        } else {
            return std::nullopt;
        }
        at = next;
    }
}

std::optional<CssQuantity> CssMath::value(std::size_t &at)
{
    const CssToken &t = token(at);
    switch (t.kind) {
    case CssToken::Number:
        ++at;
        return CssQuantity{CssQuantity::Number, t.value};
    case CssToken::Percentage:
        ++at;
        return CssQuantity{CssQuantity::Percent, t.value};
    case CssToken::Dimension:
        ++at;
        return dimension(t);
    case CssToken::OpenParen: {
        ++at;
        if (++m_depth > kMostDepth)
            return std::nullopt;
        std::optional<CssQuantity> inner = sum(at);
        --m_depth;
        skipSpace(at);
        if (!inner || token(at).kind != CssToken::CloseParen)
            return std::nullopt;
        ++at;
        return inner;
    }
    case CssToken::Function:
        if (isMathFunction(t.text))
            return function(at);
        Refusals::note(m_refusal, Refusals::forFunction(t.text));
        return std::nullopt;
    case CssToken::Ident: {
        ++at;
        if (t.text == "e")
            return CssQuantity{CssQuantity::Number, std::exp(1.0)};
        if (t.text == "pi")
            return CssQuantity{CssQuantity::Number, kPi};
        if (t.text == "infinity")
            return CssQuantity{CssQuantity::Number, INFINITY};
        if (t.text == "-infinity")
            return CssQuantity{CssQuantity::Number, -INFINITY};
        if (t.text == "nan")
            return CssQuantity{CssQuantity::Number, NAN};
        if (m_keywords) {
            if (const std::optional<double> keyword = m_keywords->find(t.text))
                return CssQuantity{CssQuantity::Number, *keyword};
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}
