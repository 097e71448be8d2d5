// Links: kr_data
// Feeds arbitrary counts, sizes, margins, gaps and column counts through the
// flow, falls and page layouts: every layout gives one finite rect per item.

#include "framework/data/KRFallsContainerLayout.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRPageContainerLayout.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Reads the next value from the input; zero once it runs out.
template <class T>
T next(const uint8_t*& data, size_t& size)
{
    T v{};
    if (size >= sizeof v) {
        std::memcpy(&v, data, sizeof v);
        data += sizeof v;
        size -= sizeof v;
    } else {
        size = 0;
    }
    return v;
}

struct Items : KRContainerLayoutDelegate {
    int count = 0;
    std::vector<pf::Size> sizes{{}};
    std::vector<pf::EdgeInsets> margins{{}};

    int numberOfKRContainerLayout(KRContainerLayout&) override { return count; }
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout&, int i) override { return sizes[size_t(i) % sizes.size()]; }
    pf::EdgeInsets krContainerLayoutItemMarginAtIndex(KRContainerLayout&, int i) override
    {
        return margins[size_t(i) % margins.size()];
    }
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto items = std::make_shared<Items>();
    // Counts beyond a few thousand only repeat the same arithmetic.
    items->count = next<int32_t>(data, size) % 4096;
    pf::Size area{next<double>(data, size), next<double>(data, size)};
    auto falls = std::make_shared<KRFallsContainerLayout>();
    falls->setNumberOfColumn(next<int32_t>(data, size));
    falls->setColumnSplitWidth(next<double>(data, size));
    falls->setColumnTopHeight(next<double>(data, size));
    while (size > 0) {
        items->sizes.push_back({next<double>(data, size), next<double>(data, size)});
        items->margins.push_back(
            {next<double>(data, size), next<double>(data, size), next<double>(data, size), next<double>(data, size)});
    }

    std::shared_ptr<KRContainerLayout> layouts[] = {std::make_shared<KRFlowContainerLayout>(), falls,
                                                    std::make_shared<KRPageContainerLayout>()};
    for (auto& layout : layouts) {
        layout->setSize(area);
        layout->setDelegate(items);
        layout->reloadData();
        if (layout->itemRects().size() != size_t(std::max(items->count, 0)))
            std::abort();
        for (const auto& r : layout->itemRects())
            if (!std::isfinite(r.x()) || !std::isfinite(r.y()) || !std::isfinite(r.width())
                || !std::isfinite(r.height()))
                std::abort();
    }
    return 0;
}
