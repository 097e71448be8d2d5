// Drawing throughput: one laid-out feed cell rendered at 2x, and a 640 x 1136
// frame of a window with 40 views, repainting one view or all of them.

#include "bench/BenchMarkup.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>

namespace {

using namespace benchmarkup;

void BM_CellRender(benchmark::State& state)
{
    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    dom_html_callbacks table = elementTable();
    if (!dom_html_parse(&table, cell(7).c_str(), &wrapper, nullptr) || wrapper->childs().size() != 1) {
        state.SkipWithError("the cell markup does not parse");
        return;
    }
    KRDOMDocumentRef document = KRDOMDocument::create();
    document->setStyleSheet(sheetOf300Rules());
    document->setRootElement(wrapper->childs()[0]);
    pf::Size size = document->rootElement()->layout({320, kKRLayoutAuto});
    auto bitmap = pf::Bitmap::create(640, static_cast<int>(size.height * 2) + 1, 2);
    if (!bitmap) {
        state.SkipWithError("no bitmap");
        return;
    }
    auto context = pf::GraphicsContext::create(**bitmap);
    if (!context) {
        state.SkipWithError("no drawing context");
        return;
    }
    pf::Rect rect{0, 0, 320, size.height};
    for (auto _ : state) {
        (*context)->save();
        document->rootElement()->render(rect, **context);
        (*context)->restore();
    }
}
BENCHMARK(BM_CellRender)->Unit(benchmark::kMicrosecond);

// A full-screen window with 40 coloured views in a grid.
struct Frame {
    Frame()
    {
        window = pf::Window::create(pf::Rect{0, 0, 320, 568});
        window->setBackgroundColor(pf::Color::whiteColor());
        for (int i = 0; i < 40; ++i) {
            auto view = pf::View::create(pf::Rect{(i % 4) * 80.0 + 4, (i / 4) * 56.0 + 4, 72, 48});
            view->setBackgroundColor(pf::Color::rgb((i % 5) / 5.0, (i % 7) / 7.0, (i % 3) / 3.0));
            view->setCornerRadius(6);
            window->addSubview(view);
            views.push_back(view);
        }
        window->makeKeyAndVisible();
        compositor.render();
    }
    ~Frame() { window->setHidden(true); }

    pf::WindowRef window;
    std::vector<pf::ViewRef> views;
    pf::Compositor compositor{pf::Screen::main()};
};

void BM_FrameRender_OneDirty(benchmark::State& state)
{
    Frame frame;
    std::size_t i = 0;
    for (auto _ : state) {
        frame.views[i++ % frame.views.size()]->setNeedsDisplay();
        benchmark::DoNotOptimize(frame.compositor.render());
    }
}
BENCHMARK(BM_FrameRender_OneDirty)->Unit(benchmark::kMicrosecond);

void BM_FrameRender_Full(benchmark::State& state)
{
    Frame frame;
    for (auto _ : state) {
        for (const auto& view : frame.views)
            view->setNeedsDisplay();
        frame.compositor.invalidateAll();
        benchmark::DoNotOptimize(frame.compositor.render());
    }
}
BENCHMARK(BM_FrameRender_Full)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
