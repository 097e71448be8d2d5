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

struct Reader {
    const uint8_t* data;
    size_t size;

    double number()
    {
        double v = 0;
        if (size >= sizeof v) {
            std::memcpy(&v, data, sizeof v);
            data += sizeof v;
            size -= sizeof v;
        } else {
            size = 0;
        }
        return v;
    }
    int integer()
    {
        int32_t v = 0;
        if (size >= sizeof v) {
            std::memcpy(&v, data, sizeof v);
            data += sizeof v;
            size -= sizeof v;
        } else {
            size = 0;
        }
        return v;
    }
};

struct Items : KRContainerLayoutDelegate {
    int count = 0;
    std::vector<pf::Size> sizes;
    std::vector<pf::EdgeInsets> margins;

    int numberOfKRContainerLayout(KRContainerLayout&) override { return count; }
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout&, int i) override
    {
        return sizes[static_cast<size_t>(i) % sizes.size()];
    }
    pf::EdgeInsets krContainerLayoutItemMarginAtIndex(KRContainerLayout&, int i) override
    {
        return margins[static_cast<size_t>(i) % margins.size()];
    }
};

bool finite(const pf::Rect& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in{data, size};
    auto items = std::make_shared<Items>();
    // Counts beyond a few thousand only repeat the same arithmetic.
    items->count = in.integer() % 4096;
    pf::Size area{in.number(), in.number()};
    pf::Size itemSize{in.number(), in.number()};
    int columns = in.integer();
    double split = in.number(), top = in.number();
    while (in.size > 0) {
        items->sizes.push_back({in.number(), in.number()});
        items->margins.push_back({in.number(), in.number(), in.number(), in.number()});
    }
    if (items->sizes.empty()) {
        items->sizes.push_back(itemSize);
        items->margins.push_back({});
    }

    auto falls = std::make_shared<KRFallsContainerLayout>();
    falls->setNumberOfColumn(columns);
    falls->setColumnSplitWidth(split);
    falls->setColumnTopHeight(top);
    std::shared_ptr<KRContainerLayout> layouts[] = {std::make_shared<KRFlowContainerLayout>(), falls,
                                                    std::make_shared<KRPageContainerLayout>()};
    for (auto& layout : layouts) {
        layout->setSize(area);
        layout->setItemSize(itemSize);
        layout->setDelegate(items);
        layout->reloadData();
        size_t expected = items->count > 0 ? static_cast<size_t>(items->count) : 0;
        if (layout->itemRects().size() != expected)
            std::abort();
        for (const auto& r : layout->itemRects())
            if (!finite(r))
                std::abort();
    }
    return 0;
}
