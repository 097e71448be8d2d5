// A container view relayout over 1,000 flow items against the bare frame
// loop doing the same work, and a document table reloaded over 50 fresh
// feed rows against the markup engine alone filling, parsing and laying out
// the same rows.

#include "framework/data/KRContainerView.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRDocumentDataController.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRItemViewController.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <unistd.h>

namespace {

constexpr int kItems = 1000;
const pf::Rect kVisible{0, 4000, 320, 568};

pf::Size sizeOf(int i)
{
    return {double(60 + (i * 37) % 90), double(40 + (i * 53) % 120)};
}

pf::EdgeInsets marginOf(int i)
{
    double m = double(i % 4);
    return {m, m + 1, m, m + 1};
}

struct Items : pf::Object, KRContainerLayoutDelegate, KRContainerViewDelegate {
    int numberOfKRContainerLayout(KRContainerLayout&) override { return kItems; }
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout&, int i) override { return sizeOf(i); }
    pf::EdgeInsets krContainerLayoutItemMarginAtIndex(KRContainerLayout&, int i) override { return marginOf(i); }
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

void BM_ContainerRelayout_Flow1000(benchmark::State& state)
{
    auto items = std::make_shared<Items>();
    auto layout = std::make_shared<KRFlowContainerLayout>();
    layout->setDelegate(items);
    auto view = std::make_shared<KRContainerView>(pf::Rect{{0, 0}, kVisible.size});
    view->setContainerLayout(layout);
    view->setDelegate(items);
    view->reloadData();
    view->setContentOffset(kVisible.origin);
    view->relayout();
    for (auto _ : state) {
        view->relayout();
        benchmark::DoNotOptimize(view->itemViewControllers().size());
    }
    pf::RunLoop::main().runUntilIdle();
}
BENCHMARK(BM_ContainerRelayout_Flow1000);

void BM_BareFlowFrames1000(benchmark::State& state)
{
    auto host = pf::View::create({{0, 0}, kVisible.size});
    std::vector<pf::ViewRef> views(kItems);
    for (auto _ : state) {
        double x = 0, y = 0, row = 0;
        for (int i = 0; i < kItems; ++i) {
            pf::Size s = sizeOf(i);
            pf::EdgeInsets m = marginOf(i);
            if (x + s.width + m.left + m.right > kVisible.width()) {
                x = 0;
                y += row;
                row = 0;
            }
            pf::Rect rect{x + m.left, y + m.top, s.width, s.height};
            row = std::max(row, s.height + m.top + m.bottom);
            x += s.width + m.left + m.right;
            if (!rect.intersects(kVisible))
                continue;
            if (!views[size_t(i)]) {
                views[size_t(i)] = pf::View::create();
                host->addSubview(views[size_t(i)]);
            }
            views[size_t(i)]->setFrame(rect);
        }
        benchmark::DoNotOptimize(y);
    }
}
BENCHMARK(BM_BareFlowFrames1000);

const char* kRowTemplate = R"(<div width="100%" height="auto" layout="flow" padding="8">
<label width="100%" height="auto" font-size="16">{dataItem.nick}</label>
<label width="100%" height="auto" font-size="14">{dataItem.body}</label>
<img width="40" height="40" src="@icon"/></div>)";

pf::ArrayRef feedRows()
{
    auto rows = std::make_shared<pf::Array>();
    for (int i = 0; i < 50; ++i)
        rows->add(pf::Value(pf::Dictionary::create(
            {{"nick", pf::Value("用户" + std::to_string(i))},
             {"body", pf::Value("今天在超市买菜省了" + std::to_string(i) + "元, saved on purchase " + std::to_string(i))}})));
    return rows;
}

std::shared_ptr<pf::Bundle> templateBundle()
{
    std::string dir = pf::temporaryDirectory() + "/documents-bench-" + std::to_string(getpid());
    pf::createDirectories(dir);
    pf::writeFileAtomically(dir + "/row.html", kRowTemplate);
    return std::make_shared<pf::Bundle>(dir);
}

struct Rows : KRDataSource {
    void replace(const pf::ArrayRef& rows)
    {
        clearDataObjects();
        for (const auto& row : *rows)
            dataObjects()->add(row);
    }
};

void BM_DocumentRows50(benchmark::State& state)
{
    registerDataClasses(); // templates read the row through the controller's "dataItem"
    auto source = std::make_shared<Rows>();
    auto table = std::make_shared<pf::TableView>(pf::Rect{0, 0, 320, 568});
    auto controller = std::make_shared<KRDocumentDataController>();
    controller->setHtml("row.html");
    controller->setBundle(templateBundle());
    controller->setDataSource(source);
    controller->setTableView(table);
    source->replace(feedRows());
    table->reloadData();
    auto first = controller->documentByIndexPath({0, 0});
    if (!first || !first->rootElement() || first->rootElement()->frame().height() < 40) {
        state.SkipWithError("the rows were not filled from the template");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        source->replace(feedRows());
        state.ResumeTiming();
        table->reloadData();
        pf::RunLoop::main().runUntilIdle();
    }
}
BENCHMARK(BM_DocumentRows50);

void BM_MarkupOnly50(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto rows = feedRows();
        state.ResumeTiming();
        for (const auto& row : *rows) {
            auto source = pf::Dictionary::create({{"dataItem", row}});
            auto document = KRDOMDocument::create();
            KRDOMParse().parseHTML(htmlStringByDOMSource(kRowTemplate, pf::Value(source)), *document);
            if (auto root = document->rootElement())
                benchmark::DoNotOptimize(root->layout({320, 2147483648.0}));
        }
    }
}
BENCHMARK(BM_MarkupOnly50);

}

BENCHMARK_MAIN();
