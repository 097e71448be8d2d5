// Opening a screen against drawing it: BM_OpenScreen opens one of two
// uncached entries alternately in a navigation root (not animated): the
// interface file is instantiated (40 views: labels with Chinese text,
// buttons, bundle images already in the image cache; 10 data outlets, 20
// layout data), wired, laid out and the full 640 x 1136 frame rendered.
// BM_DrawScreen renders the same tree with all content invalidated.
// Target: opening within 2x of drawing.

#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/ui/KRNavigationController.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <vector>
#include <unistd.h>

namespace {

// Appends every piece to `out` in turn (no chained temporaries).
void add(std::string& out, std::initializer_list<std::string_view> pieces)
{
    for (std::string_view piece : pieces)
        out += piece;
}

std::string rect(double x, double y, double w, double h)
{
    std::string out;
    add(out, {"<rect name=\"frame\">{{", std::to_string(x), ", ", std::to_string(y), "}, {", std::to_string(w), ", ",
              std::to_string(h), "}}</rect>"});
    return out;
}

// 40 views in a grid of 4 columns: labels, buttons, images and plain views;
// a data outlet on each label (10) and layout data for every other view (20).
std::string screenFile()
{
    std::string views, outlets, datas, objects;
    for (int i = 0; i < 40; ++i) {
        double x = (i % 4) * 80.0 + 4, y = (i / 4) * 50.0 + 4;
        std::string id = "v", frame = rect(x, y, 72, 44);
        id += std::to_string(i);
        switch (i % 4) {
        case 0:
            add(views, {"<object id=\"", id, "\" class=\"Label\">", frame, "<string name=\"text\">节省第",
                        std::to_string(i), "笔</string><font name=\"font\">14</font></object>"});
            add(objects, {"<object id=\"o", id, "\" class=\"KRDataOutlet\"><string name=\"keyPath\">text</string>",
                          "<string name=\"stringKeyPath\">title</string><outlet name=\"view\" to=\"", id, "\"/></object>"});
            add(outlets, {"<ref to=\"o", id, "\"/>"});
            break;
        case 1:
            add(views, {"<object id=\"", id, "\" class=\"KRButton\">", frame,
                        "<string name=\"title\">确定</string><color name=\"backgroundColor\">#2d7ff9</color></object>"});
            break;
        case 2:
            add(views, {"<object id=\"", id, "\" class=\"ImageView\">", frame, "<image name=\"image\">tile</image></object>"});
            break;
        default:
            add(views, {"<object id=\"", id, "\" class=\"View\">", frame,
                        "<color name=\"backgroundColor\">#9bc53d</color><number name=\"cornerRadius\">6</number></object>"});
        }
        if (i % 2 == 0) {
            add(objects, {"<object id=\"d", id, "\" class=\"KRLayoutData\"><outlet name=\"view\" to=\"", id, "\"/>",
                          "<number name=\"left\">", std::to_string(x), "</number><number name=\"top\">", std::to_string(y),
                          "</number><number name=\"width\">72</number><number name=\"height\">44</number></object>"});
            add(datas, {"<ref to=\"d", id, "\"/>"});
        }
    }
    std::string out;
    add(out, {"<interface owner=\"KRViewController\"><object id=\"view\" class=\"View\">", rect(0, 0, 320, 548),
              "<color name=\"backgroundColor\">#ffffff</color><subviews>", views, "</subviews></object>", objects,
              "<object id=\"layout\" class=\"KRViewLayout\"><outlet name=\"view\" to=\"view\"/>",
              "<collection name=\"layoutDatas\">", datas, "</collection></object>",
              "<object id=\"layouts\" class=\"KRLayoutContainer\"><collection name=\"layouts\"><ref to=\"layout\"/>",
              "</collection></object><object id=\"data\" class=\"KRDataOutletContainer\"><collection name=\"dataOutlets\">",
              outlets, "</collection></object><outlet name=\"view\" to=\"view\"/>",
              "<outlet name=\"layoutContainer\" to=\"layouts\"/><outlet name=\"dataOutletContainer\" to=\"data\"/></interface>"});
    return out;
}

struct Stage {
    Stage()
    {
        registerUIClasses();
        pf::setLogLevel(pf::LogLevel::Error);
        dir = std::filesystem::temp_directory_path() / ("screen_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "interface");
        std::ofstream(dir / "interface" / "BenchScreen.xml") << screenFile();
        if (auto tile = pf::Bitmap::create(144, 88, 2)) {
            (*tile)->fill(pf::Color::rgb(0.8, 0.3, 0.2));
            (void)(*tile)->writePng((dir / "tile@2x.png").string());
        }
        auto bundle = std::make_shared<pf::Bundle>(dir.string());
        pf::Bundle::setMain(bundle);
        auto config = KRJSON::decodeText(R"({"url": "root:///root", "ui": {
            "root": {"class": "KRNavigationController", "scheme": "root", "navbar-hidden": true},
            "one": {"class": "KRViewController", "view": "BenchScreen", "title": "一"},
            "two": {"class": "KRViewController", "view": "BenchScreen", "title": "二"}}})").dictionary();
        shell = KRShell::create(config, bundle);
        root = std::dynamic_pointer_cast<KRNavigationController>(shell->rootViewController());
        window = pf::Window::create();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        (void)pf::Image::named("tile"); // in the image cache before timing
    }
    ~Stage()
    {
        window->setHidden(true);
        std::filesystem::remove_all(dir);
    }
    void open(const char* url)
    {
        root->openUrl(*pf::URL::create(url), false);
        pf::Screen::main().layoutIfNeeded();
    }

    std::filesystem::path dir;
    std::shared_ptr<KRShell> shell;
    std::shared_ptr<KRNavigationController> root;
    pf::WindowRef window;
    pf::Compositor compositor{pf::Screen::main()};
};

void BM_OpenScreen(benchmark::State& state)
{
    Stage stage;
    stage.open("root:///root/two");
    bool one = true;
    for (auto _ : state) {
        stage.open(one ? "root:///root/one" : "root:///root/two");
        one = !one;
        benchmark::DoNotOptimize(stage.compositor.render());
    }
}
BENCHMARK(BM_OpenScreen)->Unit(benchmark::kMicrosecond);

void BM_DrawScreen(benchmark::State& state)
{
    Stage stage;
    stage.open("root:///root/one");
    std::vector<pf::ViewRef> views{stage.window};
    for (std::size_t i = 0; i < views.size(); ++i)
        views.insert(views.end(), views[i]->subviews().begin(), views[i]->subviews().end());
    for (auto _ : state) {
        for (const auto& view : views)
            view->setNeedsDisplay();
        stage.compositor.invalidateAll();
        benchmark::DoNotOptimize(stage.compositor.render());
    }
}
BENCHMARK(BM_DrawScreen)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
