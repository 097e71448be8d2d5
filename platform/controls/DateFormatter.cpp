#include "platform/controls/DateFormatter.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace pf {

namespace {

struct Token {
    char letter = 0; // 0 for literal text
    int count = 0;
    std::string text;
};

std::vector<Token> tokenize(const std::string& format)
{
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < format.size();) {
        char c = format[i];
        if (c == '\'') {
            std::size_t end = format.find('\'', i + 1);
            std::string text = format.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            // Two quotes in a row stand for one quote.
            tokens.push_back({0, 0, text.empty() ? "'" : text});
            i = end == std::string::npos ? format.size() : end + 1;
            continue;
        }
        if (c == 'y' || c == 'M' || c == 'd' || c == 'H' || c == 'm' || c == 's') {
            std::size_t j = i;
            while (j < format.size() && format[j] == c)
                ++j;
            tokens.push_back({c, static_cast<int>(j - i), {}});
            i = j;
            continue;
        }
        if (!tokens.empty() && tokens.back().letter == 0 && tokens.back().count == 0)
            tokens.back().text += c;
        else
            tokens.push_back({0, 0, std::string(1, c)});
        ++i;
    }
    return tokens;
}

int* field(std::tm& tm, char letter)
{
    switch (letter) {
    case 'y': return &tm.tm_year;
    case 'M': return &tm.tm_mon;
    case 'd': return &tm.tm_mday;
    case 'H': return &tm.tm_hour;
    case 'm': return &tm.tm_min;
    default: return &tm.tm_sec;
    }
}

// The value a field shows: the year in full, months from 1.
int shown(const std::tm& tm, char letter)
{
    std::tm copy = tm;
    int v = *field(copy, letter);
    if (letter == 'y')
        return v + 1900;
    if (letter == 'M')
        return v + 1;
    return v;
}

}

std::string DateFormatter::stringFromDate(Date date) const
{
    if (!std::isfinite(date.seconds))
        return {};
    std::time_t t = static_cast<std::time_t>(std::floor(date.seconds));
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return {};
    std::string out;
    char buffer[16];
    for (const Token& token : tokenize(m_format)) {
        if (!token.letter) {
            out += token.text;
            continue;
        }
        int v = shown(tm, token.letter);
        if (token.letter == 'y' && token.count == 2)
            std::snprintf(buffer, sizeof buffer, "%02d", v % 100);
        else if (token.letter == 'y')
            std::snprintf(buffer, sizeof buffer, "%04d", v);
        else
            std::snprintf(buffer, sizeof buffer, token.count >= 2 ? "%02d" : "%d", v);
        out += buffer;
    }
    return out;
}

std::optional<Date> DateFormatter::dateFromString(const std::string& text) const
{
    std::tm tm{};
    tm.tm_year = 70;
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    std::size_t pos = 0;
    for (const Token& token : tokenize(m_format)) {
        if (!token.letter) {
            if (text.compare(pos, token.text.size(), token.text) != 0)
                return std::nullopt;
            pos += token.text.size();
            continue;
        }
        // Exact widths for padded fields and years; one or two digits otherwise.
        std::size_t minDigits = token.letter == 'y' ? (token.count == 2 ? 2 : 4) : (token.count >= 2 ? 2 : 1);
        std::size_t maxDigits = token.letter == 'y' ? minDigits : 2;
        std::size_t digits = 0;
        int value = 0;
        while (digits < maxDigits && pos + digits < text.size() && text[pos + digits] >= '0' && text[pos + digits] <= '9')
            value = value * 10 + (text[pos + digits++] - '0');
        if (digits < minDigits)
            return std::nullopt;
        pos += digits;
        if (token.letter == 'y')
            value = token.count == 2 ? value + (value < 70 ? 2000 : 1900) : value;
        int* f = field(tm, token.letter);
        *f = token.letter == 'y' ? value - 1900 : token.letter == 'M' ? value - 1 : value;
    }
    if (pos != text.size())
        return std::nullopt;
    std::tm wanted = tm;
    if (wanted.tm_mon < 0 || wanted.tm_mon > 11 || wanted.tm_mday < 1 || wanted.tm_hour > 23 || wanted.tm_min > 59
        || wanted.tm_sec > 59)
        return std::nullopt;
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) && !(tm.tm_year == 69 && tm.tm_mon == 11 && tm.tm_mday == 31))
        return std::nullopt;
    // A day the month does not have comes back moved into the next month.
    if (tm.tm_mday != wanted.tm_mday || tm.tm_mon != wanted.tm_mon || tm.tm_year != wanted.tm_year)
        return std::nullopt;
    return Date{static_cast<double>(t)};
}

}
