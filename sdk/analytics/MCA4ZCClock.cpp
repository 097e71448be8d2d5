#include "sdk/analytics/MCA4ZCClock.h"

#include <ctime>
#include <mutex>

namespace {
std::mutex g_mutex; // guards g_source
std::function<std::uint32_t()> g_source;
}

std::uint32_t MCA4ZCClock::now()
{
    std::function<std::uint32_t()> source;
    {
        std::lock_guard lock(g_mutex);
        source = g_source;
    }
    return source ? source() : static_cast<std::uint32_t>(std::time(nullptr));
}

void MCA4ZCClock::setSource(std::function<std::uint32_t()> source)
{
    std::lock_guard lock(g_mutex);
    g_source = std::move(source);
}
