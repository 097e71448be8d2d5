#pragma once

// The text a JSON encoder writes. Bytes go straight into the string's
// storage behind one test for room per piece; only growing is a call. An
// encoding is some hundred thousand small pieces, and the string's own
// appends cost a call each wherever the optimiser declines to inline them
// (it does, when the program is optimised as a whole).
//
// Not shared between threads; one per encoding.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace pf {

class TextWriter {
public:
    explicit TextWriter(std::size_t capacity) { m_text.resize(std::max<std::size_t>(capacity, 1)); rebase(0); }

    // Room for `n` more bytes at the returned position; advance() takes them.
    // Growing moves the text: earlier positions are void after a call.
    [[gnu::always_inline]] char* room(std::size_t n)
    {
        if (std::size_t(m_end - m_at) < n)
            grow(n);
        return m_at;
    }
    [[gnu::always_inline]] void advance(char* to) { m_at = to; }
    [[gnu::always_inline]] void put(char c) { *room(1) = c; ++m_at; }
    [[gnu::always_inline]] void put(const char* bytes, std::size_t n)
    {
        std::memcpy(room(n), bytes, n);
        m_at += n;
    }
    template <std::size_t N> [[gnu::always_inline]] void put(const char (&literal)[N]) { put(literal, N - 1); }

    // The bytes written so far.
    std::size_t size() const { return std::size_t(m_at - m_text.data()); }
    std::string_view written() const { return {m_text.data(), size()}; }
    // Writes again `length` bytes written earlier from `offset`.
    void repeat(std::size_t offset, std::size_t length)
    {
        char* at = room(length);
        std::memcpy(at, m_text.data() + offset, length);
        m_at = at + length;
    }

    std::string take()
    {
        m_text.resize(size());
        return std::move(m_text);
    }

private:
    [[gnu::noinline]] void grow(std::size_t n)
    {
        std::size_t used = size();
        m_text.resize(std::max(m_text.size() * 2, used + n));
        rebase(used);
    }
    void rebase(std::size_t used)
    {
        m_at = m_text.data() + used;
        m_end = m_text.data() + m_text.size();
    }

    std::string m_text;
    char* m_at = nullptr;
    char* m_end = nullptr;
};

}
