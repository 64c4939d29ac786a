#pragma once

#include "color/colorspace.h"

#include <array>
#include <cmath>

// The decimals a notation's three numbers need to name a colour: each number the
// fewest it needs on its own, then raised, the number that strays most first, until
// the three together name the colour; a number that can then do with fewer loses
// them. No single number can lose a decimal afterwards.
namespace FewestDecimals {

using Decimals = std::array<int, 3>;

// What the colour's 8-bit values allow the three channels' light to be, as one way
// of drawing sees it: that light is `transform` times the light the numbers give.
struct Window
{
    std::array<Channels, 3> transform = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Channels low{};
    Channels high{};

    Channels seen(const Channels &light) const
    {
        Channels l;
        for (int k = 0; k < 3; ++k)
            l[k] = transform[k][0] * light[0] + transform[k][1] * light[1] + transform[k][2] * light[2];
        return l;
    }
};

// The numbers must read back in every one of them.
using Windows = std::array<Window, 2>;

constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// Halves away from zero. An integer divided by a power of ten is the double nearest
// the decimal, as a reader of the text gets it.
inline double rounded(double value, int decimals)
{
    const double scaled = value * kScale[decimals];
    const double r = double(static_cast<long long>(scaled + (scaled < 0 ? -0.5 : 0.5))) / kScale[decimals];
    return r == 0 ? 0.0 : r;
}

inline Channels rounded(const Channels &exact, const Decimals &decimals)
{
    return {rounded(exact[0], decimals[0]), rounded(exact[1], decimals[1]), rounded(exact[2], decimals[2])};
}

// The search itself, readsBack(decimals) saying whether numbers so rounded name the
// colour.
template<typename ReadsBack>
Decimals searchWith(const Channels &exact, int most, ReadsBack readsBack)
{
    Decimals decimals{};
    for (int i = 0; i < 3; ++i) {
        Decimals alone = {most, most, most};
        for (alone[i] = 0; alone[i] < most; ++alone[i]) {
            if (readsBack(alone))
                break;
        }
        decimals[i] = alone[i];
    }
    while (!readsBack(decimals)) {
        // The number whose rounding strays furthest, in units of its last decimal.
        int worst = -1;
        double furthest = -1;
        for (int i = 0; i < 3; ++i) {
            if (decimals[i] >= most)
                continue;
            const double stray = std::fabs(rounded(exact[i], decimals[i]) - exact[i]) * kScale[decimals[i]];
            if (stray > furthest) {
                furthest = stray;
                worst = i;
            }
        }
        if (worst < 0)
            return {most, most, most};
        ++decimals[worst];
    }
    for (int i = 0; i < 3; ++i) {
        while (decimals[i] > 0) {
            Decimals fewer = decimals;
            --fewer[i];
            if (!readsBack(fewer))
                break;
            decimals = fewer;
        }
    }
    return decimals;
}

// The decimals, each at most `most`, for numbers whose exact values are `exact`;
// light(numbers) is what the numbers give, to lie within both windows. Where even the
// most decimals do not, the most.
//
// Most candidates lie far outside the window or well inside it; a first-order
// estimate from the numbers' slopes settles those without converting them, where the
// numbers move little. The rest are converted, and so is the answer: should it not
// read back after all, every candidate is converted.
template<typename Light>
Decimals search(const Channels &exact, int most, const Windows &windows, Light light)
{
    const auto inside = [&](const Channels &values) {
        const Channels light0 = light(values);
        for (const Window &window : windows) {
            const Channels l = window.seen(light0);
            for (int k = 0; k < 3; ++k) {
                if (!(l[k] >= window.low[k] && l[k] <= window.high[k]))
                    return false;
            }
        }
        return true;
    };
    const Channels centre = light(exact);
    std::array<Channels, 3> slope{};
    for (int i = 0; i < 3; ++i) {
        Channels nudged = exact;
        const double step = 1e-7 * std::max(1.0, std::fabs(exact[i]));
        nudged[i] += step;
        const Channels l = light(nudged);
        for (int k = 0; k < 3; ++k)
            slope[i][k] = (l[k] - centre[k]) / step;
    }
    // The estimate holds where every number moves little: a hundredth of itself.
    const auto near = [&](const Channels &values) {
        for (int i = 0; i < 3; ++i) {
            if (std::fabs(values[i] - exact[i]) > 0.01 * std::max(1.0, std::fabs(exact[i])))
                return false;
        }
        return true;
    };
    // 1: surely inside, -1: surely outside, by a fiftieth of the window; 0: unsure.
    const auto estimate = [&](const Channels &values) {
        if (!near(values))
            return 0;
        Channels guess = centre;
        for (int k = 0; k < 3; ++k) {
            for (int i = 0; i < 3; ++i)
                guess[k] += slope[i][k] * (values[i] - exact[i]);
        }
        int verdict = 1;
        for (const Window &window : windows) {
            const Channels l = window.seen(guess);
            for (int k = 0; k < 3; ++k) {
                const double slack = 0.02 * (window.high[k] - window.low[k]);
                if (l[k] < window.low[k] - slack || l[k] > window.high[k] + slack)
                    return -1;
                if (l[k] < window.low[k] + slack || l[k] > window.high[k] - slack)
                    verdict = 0;
            }
        }
        return verdict;
    };
    for (const bool estimating : {true, false}) {
        const auto readsBack = [&](const Decimals &decimals) {
            const Channels values = rounded(exact, decimals);
            const int guess = estimating ? estimate(values) : 0;
            return guess != 0 ? guess > 0 : inside(values);
        };
        const Decimals decimals = searchWith(exact, most, readsBack);
        if (!estimating || inside(rounded(exact, decimals)))
            return decimals;
    }
    return {most, most, most};
}

}
