#pragma once

// A user the signed-in user follows, as stored in the per-user database.
// `version` is the follow-list version of the sync that wrote the row; `py`
// holds the pinyin initials of `nick`, the section key of the follow list;
// `mutual` is non-zero when the user follows back.

#include "framework/db/KRDBObject.h"

#include <optional>
#include <string>

class ZMRConcernObject final : public KRDBObject {
public:
    long long uid() const { return m_uid; }
    void setUid(long long uid) { m_uid = uid; }
    const std::optional<std::string>& nick() const { return m_nick; }
    void setNick(std::optional<std::string> nick) { m_nick = std::move(nick); }
    const std::optional<std::string>& logo() const { return m_logo; }
    void setLogo(std::optional<std::string> logo) { m_logo = std::move(logo); }
    long long version() const { return m_version; }
    void setVersion(long long version) { m_version = version; }
    const std::optional<std::string>& py() const { return m_py; }
    void setPy(std::optional<std::string> py) { m_py = std::move(py); }
    int isMutual() const { return m_mutual; }
    void setMutual(int mutual) { m_mutual = mutual; }

private:
    long long m_uid = 0;
    std::optional<std::string> m_nick;
    std::optional<std::string> m_logo;
    long long m_version = 0;
    std::optional<std::string> m_py;
    int m_mutual = 0;
};
