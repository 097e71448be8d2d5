#include "framework/ui/KRStyle.h"

#include <algorithm>

void KRStyle::addMutationCounter(const std::shared_ptr<unsigned>& counter)
{
    std::erase_if(m_mutationCounters, [](const auto& weak) { return weak.expired(); });
    bool known = std::any_of(m_mutationCounters.begin(), m_mutationCounters.end(),
                             [&](const auto& weak) { return weak.lock() == counter; });
    if (!known)
        m_mutationCounters.push_back(counter);
}

void KRStyle::mutated()
{
    for (const auto& weak : m_mutationCounters) {
        if (auto counter = weak.lock())
            ++*counter;
    }
}
