#pragma once

#include <QString>

#include <string_view>

// Why a text names no colour the program can take: mostly because it names none, and
// sometimes because its colour is only known inside a page.
struct Refusal
{
    enum Kind {
        None,
        NotAColor,
        Variable, // var()
        PageFunction, // env(), attr()
        CurrentColor,
        SystemColor,
        LightDark,
        WideKeyword, // inherit, initial, …
        RelativeLength, // em, vw, …
        SassVariable,
        LessVariable,
        TwoColors,
    };

    Kind kind = None;
    // What it was in the text, lower case: "var(", "canvastext", "em", "$blue".
    std::string_view subject;
};

namespace Refusals {

// Why, in one line, for whoever pasted the text; nothing for a text that simply
// names no colour.
QString reason(const Refusal &refusal);

}
