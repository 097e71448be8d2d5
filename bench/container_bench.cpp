// Dragging a card against setting its frame directly: two full-screen cards,
// each a screen of 40 views (labels with Chinese text and coloured views),
// rendered once before timing. BM_HeapDragFrame sends one pan step through
// the screen's touch delivery into a heap (alternating between two
// offsets), then renders the frame; BM_BareDragFrame sets the same top-card
// frame and lower-card scale and mask colour on the same views and renders.
// BM_FoldDragFrame and BM_BareFoldFrame do the same for the fold drawer
// (centre frame and side alpha). Target: each drag frame within 1.25x of its
// bare frame, which holds only when a drag redraws no content.

#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/ui/KRFoldViewController.h"
#include "framework/ui/KRHeapViewController.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>

namespace {

class BenchCard : public KRViewController {
public:
    void viewDidLoad() override
    {
        KRViewController::viewDidLoad();
        view()->setBackgroundColor(pf::Color::whiteColor());
        for (int i = 0; i < 40; ++i) {
            pf::Rect frame{(i % 4) * 80.0 + 4, (i / 4) * 50.0 + 4, 72, 44};
            if (i % 2 == 0) {
                auto label = std::make_shared<pf::Label>(frame);
                std::string text = "节省第";
                text += std::to_string(i);
                text += "笔";
                label->setText(text);
                view()->addSubview(label);
            } else {
                auto box = pf::View::create(frame);
                box->setBackgroundColor(pf::Color::rgb(0.6, 0.77, 0.24));
                view()->addSubview(box);
            }
        }
    }
};

struct Stage {
    explicit Stage(const char* json)
    {
        static bool registered = false;
        if (!std::exchange(registered, true)) {
            registerUIClasses();
            pf::ClassBuilder<BenchCard>("BenchCard").superclass<KRViewController>().commit();
        }
        pf::setLogLevel(pf::LogLevel::Error);
        shell = KRShell::create(KRJSON::decodeText(json).dictionary(), std::make_shared<pf::Bundle>("."));
        root = std::dynamic_pointer_cast<pf::ViewController>(shell->rootViewController());
        window = pf::Window::create();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        settle();
    }
    ~Stage() { window->setHidden(true); }
    void settle()
    {
        pf::Screen::main().layoutIfNeeded();
        benchmark::DoNotOptimize(compositor.render());
    }
    void touch(pf::TouchPhase phase, double x) { pf::Screen::main().handleTouch(1, phase, {x, 300}, m_time += 0.016); }
    // A finger down and past the slop, so that each later move is one pan step.
    void beginDrag()
    {
        touch(pf::TouchPhase::Began, 20);
        touch(pf::TouchPhase::Moved, 40);
    }

    std::shared_ptr<KRShell> shell;
    pf::ViewControllerRef root;
    pf::WindowRef window;
    pf::Compositor compositor{pf::Screen::main()};
    double m_time = 0;
};

const char* kHeap = R"({"url": "root:///root/a/b", "ui": {
    "root": {"class": "KRHeapViewController", "scheme": "root"}, "a": {"class": "BenchCard"}, "b": {"class": "BenchCard"}}})";
const char* kFold = R"({"url": "fold:///root/center", "ui": {
    "root": {"class": "KRFoldViewController", "leftURL": "fold:///left"},
    "center": {"class": "BenchCard"}, "left": {"class": "BenchCard"}}})";

// One pan step through the screen's touch delivery, alternating between two
// offsets, then the frame rendered.
void dragFrames(benchmark::State& state, const char* json)
{
    Stage stage(json);
    stage.beginDrag();
    bool far = false;
    for (auto _ : state) {
        stage.touch(pf::TouchPhase::Moved, (far = !far) ? 200 : 150);
        benchmark::DoNotOptimize(stage.compositor.render());
    }
    stage.touch(pf::TouchPhase::Cancelled, 150);
}

void BM_HeapDragFrame(benchmark::State& state) { dragFrames(state, kHeap); }
BENCHMARK(BM_HeapDragFrame)->Unit(benchmark::kMicrosecond);

void BM_BareDragFrame(benchmark::State& state)
{
    Stage stage(kHeap);
    auto heap = std::dynamic_pointer_cast<KRHeapViewController>(stage.root);
    pf::ViewRef below = heap->viewControllers()[0]->view(), top = heap->viewControllers()[1]->view();
    heap->view()->insertSubview(below, 0);
    double W = heap->view()->bounds().width();
    bool far = false;
    for (auto _ : state) {
        double offset = (far = !far) ? 160 : 110;
        double p = offset / W;
        below->setTransform(pf::AffineTransform::scaling(0.98 + 0.02 * p, 0.98 + 0.02 * p));
        below->setLayerMaskColor(pf::Color::white(1, 0.8 + 0.2 * p));
        top->setFrame(pf::Rect(offset, 0, W, top->bounds().height()));
        benchmark::DoNotOptimize(stage.compositor.render());
    }
}
BENCHMARK(BM_BareDragFrame)->Unit(benchmark::kMicrosecond);

void BM_FoldDragFrame(benchmark::State& state) { dragFrames(state, kFold); }
BENCHMARK(BM_FoldDragFrame)->Unit(benchmark::kMicrosecond);

void BM_BareFoldFrame(benchmark::State& state)
{
    Stage stage(kFold);
    auto fold = std::dynamic_pointer_cast<KRFoldViewController>(stage.root);
    pf::ViewRef center = fold->centerViewController()->view(), side = fold->leftViewController()->view();
    fold->view()->insertSubview(side, 0);
    side->setFrame(fold->view()->bounds());
    double W = fold->view()->bounds().width();
    bool far = false;
    for (auto _ : state) {
        double offset = (far = !far) ? 160 : 110;
        side->setAlpha(0.8 + 0.2 * offset / W);
        center->setFrame(pf::Rect(offset, 0, W, center->bounds().height()));
        benchmark::DoNotOptimize(stage.compositor.render());
    }
}
BENCHMARK(BM_BareFoldFrame)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
