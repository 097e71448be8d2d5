#pragma once

#include "framework/data/KRPageDataSource.h"

// A page source with a status word that names which list it holds.
class KRStatusDataSource : public KRPageDataSource {
public:
    const std::optional<std::string>& status() const { return m_status; }
    virtual void setStatus(std::optional<std::string> status) { m_status = std::move(status); }

private:
    std::optional<std::string> m_status;
};
