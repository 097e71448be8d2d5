#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace pf::test {

// Pins the local time zone (TZ) for as long as it lives and puts the old one
// back, so calendar tests see the same days on every machine.
class PinnedZone {
public:
    explicit PinnedZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~PinnedZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    PinnedZone(const PinnedZone&) = delete;
    PinnedZone& operator=(const PinnedZone&) = delete;

private:
    std::optional<std::string> m_old;
};

}
