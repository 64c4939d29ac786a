#pragma once

#include "color/csstokens.h"

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

// What a function only a page resolves stands for: var(), env(), attr(), light-dark();
// None for any other.
Refusal forFunction(std::string_view name);

// What a Sass ($name) or LESS (@name) variable stands for, where the two tokens are
// one; None otherwise.
Refusal forVariable(const CssToken &sigil, const CssToken &name);

// Keeps the first reason found: the one nearest the start of the text.
void note(Refusal &kept, const Refusal &found);

// Why, for whoever pasted the text: one sentence, broken between its phrases where it
// is long, so that a box keeps each line whole; nothing for a text that simply names
// no colour.
QString reason(const Refusal &refusal);

}
