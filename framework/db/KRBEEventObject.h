#pragma once

#include "framework/db/KRBehaviorObject.h"

#include <optional>
#include <string>

class KRBEEventObject : public KRBehaviorObject {
public:
    std::optional<std::string> session() const { return m_session; }
    void setSession(std::optional<std::string> session) { m_session = std::move(session); }
    std::optional<std::string> eventId() const { return m_eventId; }
    void setEventId(std::optional<std::string> eventId) { m_eventId = std::move(eventId); }
    std::optional<std::string> tag() const { return m_tag; }
    void setTag(std::optional<std::string> tag) { m_tag = std::move(tag); }

private:
    std::optional<std::string> m_session;
    std::optional<std::string> m_eventId;
    std::optional<std::string> m_tag;
};
