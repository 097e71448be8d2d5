#pragma once

// Names the SDK splices into script text it runs (a callback a page names,
// a script function and its category). Only plain identifiers pass, so a
// name can never end the call it stands in and add script of its own.

#include <string_view>

// ASCII letters, digits, "_" and "$", not starting with a digit.
inline bool isScriptIdentifier(std::string_view text)
{
    if (text.empty() || (text[0] >= '0' && text[0] <= '9'))
        return false;
    for (char c : text) {
        bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
        if (!allowed)
            return false;
    }
    return true;
}

// Identifiers joined by single dots ("corvana.result.done").
inline bool isDottedIdentifier(std::string_view text)
{
    for (std::size_t start = 0;;) {
        std::size_t dot = text.find('.', start);
        if (!isScriptIdentifier(text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start)))
            return false;
        if (dot == std::string_view::npos)
            return true;
        start = dot + 1;
    }
}
