#pragma once

// Turns an application's ZZ Connect id (decimal, up to nine digits) or its
// mobile-ZZ id ("ZZ" and eight hexadecimal digits) into both forms. Most
// applications have the same number in both; a fixed table lists those that
// do not.
//
// An id whose number belongs to a listed application in the other column (a
// connection id equal to a listed mobile value, or a mobile value equal to a
// listed connection id) is refused: converting it would name two applications
// with one id, and the pair would not convert back to itself. So is an
// unlisted mobile-ZZ id above 999999999, which has no nine-digit connection id.
//
// Main queue: the process keeps one shared instance holding the last result.

#include <cstdint>
#include <optional>
#include <string>

class CTXAppidConvert {
public:
    struct Pair {
        std::uint32_t mobile;
        std::uint32_t connection;
    };

    static bool IsConnectionAppId(const char* text);
    static bool IsMZZAppId(const char* text);

    // Clears both forms, then fills them from either kind of id; false (both
    // empty) for any other text.
    bool InitWithAppId(const char* text);
    const char* connectionAppId() const { return m_connectionAppId; }
    const char* mzzAppId() const { return m_mzzAppId; }

    static CTXAppidConvert& shared();
    static const Pair kTable[];

private:
    char m_connectionAppId[12] = {};
    char m_mzzAppId[12] = {};
};

// The wrapper the session uses; every instance works on the shared converter.
class TXAppidConvert {
public:
    bool InitWithAppId(const std::string& appId);
    // Nil until a conversion succeeds.
    std::optional<std::string> GetConnectionAppId() const;
    std::optional<std::string> GetMZZAppId() const;
};
