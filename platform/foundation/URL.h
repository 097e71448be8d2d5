#pragma once

// An absolute or relative URL (RFC 3986), kept as its text and its parts.
// create() refuses text that is not a URL (blanks, non-ASCII, bad escapes),
// as screen routing and requests expect a missing URL rather than a guess.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

class URL {
public:
    static std::optional<URL> create(std::string_view text);
    // `text` resolved against `base` when it is relative.
    static std::optional<URL> create(std::string_view text, const URL* base);

    // The text the URL was made from (unresolved when it had a base).
    const std::string& relativeString() const { return m_text; }
    // The resolved text.
    std::string absoluteString() const;

    const std::string& scheme() const { return m_scheme; } // without ":"
    bool hasAuthority() const { return m_hasAuthority; }
    const std::string& host() const { return m_host; }
    std::optional<int> port() const { return m_port; }
    // Percent-decoded path.
    std::string path() const;
    const std::string& encodedPath() const { return m_path; }
    const std::optional<std::string>& query() const { return m_query; } // without "?"
    const std::optional<std::string>& fragment() const { return m_fragment; }
    // "/a/b" gives "/", "a", "b"; a trailing "/" adds nothing; "" gives none.
    std::vector<std::string> pathComponents() const;
    std::string lastPathComponent() const;

    bool operator==(const URL& other) const { return absoluteString() == other.absoluteString(); }

private:
    static std::optional<URL> parse(std::string_view text);
    std::string m_text;
    std::string m_scheme;
    bool m_hasAuthority = false;
    std::string m_userInfo;
    std::string m_host;
    std::optional<int> m_port;
    std::string m_path;
    std::optional<std::string> m_query;
    std::optional<std::string> m_fragment;
};

// Percent-decodes UTF-8 text; nothing when an escape is malformed.
std::optional<std::string> percentDecode(std::string_view text);

}
