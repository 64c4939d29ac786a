#pragma once

#include <string_view>
#include <vector>

// A style sheet's value cut into tokens as CSS Syntax cuts it, for text already in
// lower case and ASCII alone. Comments count as whitespace.
struct CssToken
{
    enum Kind {
        Ident,
        Function, // text is the name, without the parenthesis
        Hash, // text is what follows the #
        Number,
        Percentage,
        Dimension, // text is the unit
        String,
        Whitespace,
        Comma,
        Colon,
        Semicolon,
        OpenParen,
        CloseParen,
        Delim, // any other character, in text
        BadToken, // an unclosed string, an escape: nothing a colour holds
    };

    Kind kind;
    std::string_view text;
    double value = 0;
    bool integer = false; // a number written without a point or an exponent
};

namespace CssTokens {

// The tokens of the text; whitespace and comments in a row make one token.
std::vector<CssToken> tokenize(std::string_view text);

}
