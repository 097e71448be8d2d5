#include "framework/util/KRAddressIndex.h"
#include "framework/util/KRWeakObserverList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

// Addresses close together fill neighbouring slots, so erasing has to move
// the rest of a run back; a random mix of sets and erases against a plain
// map finds a slot left where no lookup reaches it.
TEST(KRAddressIndexTest, AgreesWithAPlainMapThroughSetsAndErases)
{
    std::vector<std::uint64_t> storage(4096);
    std::mt19937 random(7);
    KRAddressIndex index;
    std::unordered_map<const void*, std::uint32_t> model;
    for (int step = 0; step < 60000; ++step) {
        const void* address = &storage[random() % (step < 30000 ? storage.size() : 64)];
        const std::uint32_t value = random();
        if (random() % 3)
            index.set(address, value), model[address] = value;
        else
            index.erase(address), model.erase(address);
        ASSERT_EQ(index.size(), model.size()) << "step " << step;
    }
    for (const std::uint64_t& cell : storage) {
        auto kept = model.find(&cell);
        EXPECT_EQ(index.find(&cell), kept == model.end() ? std::nullopt : std::optional(kept->second));
    }
    index.clear();
    EXPECT_EQ(index.size(), 0u);
    EXPECT_FALSE(index.find(&storage[0]));
    EXPECT_FALSE(index.find(nullptr));
}

struct Observer {
    int id = 0;
};

std::vector<int> told(const KRWeakObserverList<Observer>& list)
{
    std::vector<int> ids;
    for (const auto& weak : list.snapshot()) {
        if (auto observer = weak.lock())
            ids.push_back(observer->id);
    }
    return ids;
}

// Observers come, go, come again and are released without removing
// themselves, many more than one compaction holds: the list keeps telling the
// live ones in the order they were last added, and stays bounded.
TEST(KRWeakObserverListTest, KeepsOrderAndStaysBoundedThroughChurn)
{
    std::mt19937 random(11);
    KRWeakObserverList<Observer> list;
    std::vector<std::shared_ptr<Observer>> live;
    std::vector<int> order;
    int next = 0;
    for (int step = 0; step < 20000; ++step) {
        const unsigned action = random() % 4;
        if (action <= 1 || live.empty()) {
            live.push_back(std::make_shared<Observer>(Observer{next++}));
            list.add(live.back());
            order.push_back(live.back()->id);
            continue;
        }
        const std::size_t pick = random() % live.size();
        std::erase(order, live[pick]->id);
        if (action == 2) {
            list.add(live[pick]); // again: moves to the end
            order.push_back(live[pick]->id);
        } else {
            if (random() % 2)
                list.remove(live[pick].get());
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(pick)); // else released unremoved
        }
    }
    EXPECT_EQ(told(list), order);
    EXPECT_LE(list.size(), 2 * live.size() + 64);
    list.dropExpired();
    EXPECT_EQ(list.size(), live.size());
    EXPECT_EQ(told(list), order);
}

}
