// A comparison as a person reads it: the lines the text prints for its verdict.
#pragma once

#include "output/text.h"

#include <string>

inline std::string Said(const Comparison& c, const std::string& side = "B")
{
    std::string text;
    for (const std::string& line : VerdictLines(SayVerdict(c, "A", side), "  ")) {
        text += line + "\n";
    }
    return text;
}
