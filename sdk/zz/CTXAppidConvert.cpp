#include "sdk/zz/CTXAppidConvert.h"

#include <cstdio>
#include <cstring>

namespace {

// Connection ids have at most nine digits.
constexpr std::uint32_t kMaxConnectionAppId = 999999999;

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

const CTXAppidConvert::Pair* findConnection(std::uint32_t connection)
{
    for (const auto* pair = CTXAppidConvert::kTable; pair->mobile || pair->connection; ++pair) {
        if (pair->connection == connection)
            return pair;
    }
    return nullptr;
}

const CTXAppidConvert::Pair* findMobile(std::uint32_t mobile)
{
    for (const auto* pair = CTXAppidConvert::kTable; pair->mobile || pair->connection; ++pair) {
        if (pair->mobile == mobile)
            return pair;
    }
    return nullptr;
}

}

bool CTXAppidConvert::IsConnectionAppId(const char* text)
{
    if (!text || std::strlen(text) > 9)
        return false;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
    }
    return true;
}

bool CTXAppidConvert::IsMZZAppId(const char* text)
{
    if (!text || std::strlen(text) != 10 || text[0] != 'Z' || text[1] != 'Z')
        return false;
    for (int i = 2; i < 10; ++i) {
        if (!isHex(text[i]))
            return false;
    }
    return true;
}

bool CTXAppidConvert::InitWithAppId(const char* text)
{
    std::memset(m_connectionAppId, 0, sizeof m_connectionAppId);
    std::memset(m_mzzAppId, 0, sizeof m_mzzAppId);
    std::uint32_t connection = 0;
    std::uint32_t mobile = 0;
    if (IsConnectionAppId(text)) {
        connection = static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
        if (const Pair* pair = findConnection(connection))
            mobile = pair->mobile;
        else if (findMobile(connection))
            return false;
        else
            mobile = connection;
    } else if (IsMZZAppId(text)) {
        mobile = static_cast<std::uint32_t>(std::strtoul(text + 2, nullptr, 16));
        if (const Pair* pair = findMobile(mobile))
            connection = pair->connection;
        else if (findConnection(mobile) || mobile > kMaxConnectionAppId)
            return false;
        else
            connection = mobile;
    } else {
        return false;
    }
    std::snprintf(m_connectionAppId, sizeof m_connectionAppId, "%u", connection);
    std::snprintf(m_mzzAppId, sizeof m_mzzAppId, "ZZ%08X", mobile);
    return true;
}

CTXAppidConvert& CTXAppidConvert::shared()
{
    static CTXAppidConvert instance;
    return instance;
}

bool TXAppidConvert::InitWithAppId(const std::string& appId)
{
    // Text with a NUL inside is no id, though its C form might look like one.
    if (appId.find('\0') != std::string::npos) {
        CTXAppidConvert::shared().InitWithAppId(nullptr);
        return false;
    }
    return CTXAppidConvert::shared().InitWithAppId(appId.c_str());
}

std::optional<std::string> TXAppidConvert::GetConnectionAppId() const
{
    const auto& shared = CTXAppidConvert::shared();
    if (!shared.connectionAppId()[0])
        return std::nullopt;
    return std::string(shared.connectionAppId());
}

std::optional<std::string> TXAppidConvert::GetMZZAppId() const
{
    const auto& shared = CTXAppidConvert::shared();
    if (!shared.connectionAppId()[0])
        return std::nullopt;
    return std::string(shared.mzzAppId());
}
