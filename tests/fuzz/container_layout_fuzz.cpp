// Links: kr_data
// Feeds arbitrary counts, sizes, margins, gaps and column counts through the
// flow, falls and page layouts: every layout gives one finite rect per item.
// Then a container view of arbitrary size and offset shows each layout: the
// items with controllers are exactly those whose rects meet the visible area.

#include "framework/data/KRContainerView.h"
#include "framework/data/KRFallsContainerLayout.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRItemViewController.h"
#include "framework/data/KRPageContainerLayout.h"
#include "platform/foundation/Object.h"
#include "platform/ui/PerformRequest.h"

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

// Hands out item view controllers, reused ones first.
struct Shown : pf::Object, KRContainerViewDelegate {
    std::shared_ptr<KRItemViewController> krContainerViewItemViewAtIndex(KRContainerView& view, int,
                                                                        const pf::Rect&) override
    {
        if (auto reused = view.dequeueReusableItemViewWithIdentifier("item"))
            return reused;
        auto item = std::make_shared<KRItemViewController>();
        item->setReuseIdentifier(std::string("item"));
        return item;
    }
};

void checkContainer(const std::shared_ptr<KRContainerLayout>& layout, pf::Size bounds, pf::Point offset)
{
    auto shown = std::make_shared<Shown>();
    auto view = std::make_shared<KRContainerView>(pf::Rect{{0, 0}, bounds});
    view->setContainerLayout(layout);
    view->setDelegate(shown);
    view->reloadData();
    view->setContentOffset(offset);
    view->layoutItemViews(false);
    const auto& rects = layout->itemRects();
    for (int i = 0; i < int(rects.size()); ++i) {
        bool visible = view->isVisableRect(rects[size_t(i)]);
        if (visible != (view->itemViewControllerAtIndex(i) != nullptr))
            std::abort();
    }
    for (const auto& item : view->itemViewControllers())
        if (item->index() < 0 || item->index() >= int(rects.size()))
            std::abort();
    // Deferred calls keep the view alive; no loop runs here to deliver them.
    pf::cancelPreviousPerformRequests(*view);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto items = std::make_shared<Items>();
    // Counts beyond a few thousand only repeat the same arithmetic.
    items->count = next<int32_t>(data, size) % 4096;
    pf::Size area{next<double>(data, size), next<double>(data, size)};
    pf::Size bounds{double(next<uint16_t>(data, size) % 2048), double(next<uint16_t>(data, size) % 2048)};
    pf::Point offset{double(next<int16_t>(data, size)), double(next<int16_t>(data, size))};
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
        // A container shows a few hundred items at most on any screen.
        if (items->count <= 256)
            checkContainer(layout, bounds, offset);
    }
    return 0;
}
