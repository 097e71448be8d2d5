#pragma once

#include "framework/db/KRBehaviorObject.h"

#include <optional>
#include <string>

class KRBESessionObject : public KRBehaviorObject {
public:
    std::optional<std::string> session() const { return m_session; }
    void setSession(std::optional<std::string> session) { m_session = std::move(session); }
    // Seconds since 1970.
    double startTimestamp() const { return m_startTimestamp; }
    void setStartTimestamp(double startTimestamp) { m_startTimestamp = startTimestamp; }

    // A new session identifier: the MD5 of a fresh random UUID's text, as 32
    // upper-case hexadecimal digits.
    static std::string genSession();

private:
    std::optional<std::string> m_session;
    double m_startTimestamp = 0;
};
