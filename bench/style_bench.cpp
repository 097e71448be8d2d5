// Dressing views from named styles against setting the same values directly.
// 40 style outlets dress 200 views (labels, buttons and plain views, five
// each) with 5 keys apiece from a 60-entry style collection, and the whole
// container is applied again on every iteration, as a reused cell is;
// the baseline sets the same 1,000 values through the typed setters.
#include "framework/ui/KRStyleOutlet.h"
#include "framework/ui/KRStyleOutletContainer.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Boxed.h"
#include "platform/ui/View.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

enum Kind { LabelKind, ButtonKind, ViewKind };
constexpr int kOutlets = 40;
constexpr int kViewsPerOutlet = 5;
constexpr int kVariants = 4;

pf::Color colour(int kind, int variant, int key)
{
    return pf::Color::rgb(kind / 3.0, variant / 4.0, key / 5.0, 1);
}

std::string styleName(int kind, int variant)
{
    static const char* kinds[] = {"label", "button", "view"};
    std::string name = kinds[kind];
    name += std::to_string(variant);
    return name;
}

KRStyleRef entry(const std::string& name, const char* key)
{
    auto style = std::make_shared<KRStyle>();
    style->setName(name);
    style->setKey(key);
    return style;
}

// Five entries per style name, three kinds of view, four variants: 60.
pf::ArrayRef styleEntries()
{
    std::vector<pf::Value> entries;
    auto add = [&](KRStyleRef style, pf::Value value) {
        style->setValue(std::move(value));
        entries.emplace_back(pf::ObjectRef(std::move(style)));
    };
    for (int variant = 0; variant < kVariants; ++variant) {
        std::string label = styleName(LabelKind, variant);
        add(entry(label, "textColor"), pf::Boxed<pf::Color>::make(colour(LabelKind, variant, 0)));
        auto font = entry(label, "font");
        font->setFontValue(std::to_string(13 + variant) + " bold");
        entries.emplace_back(pf::ObjectRef(font));
        add(entry(label, "backgroundColor"), pf::Boxed<pf::Color>::make(colour(LabelKind, variant, 2)));
        add(entry(label, "alpha"), pf::Value(0.9));
        add(entry(label, "cornerRadius"), pf::Value(2 + variant));

        std::string button = styleName(ButtonKind, variant);
        add(entry(button, "titleColor"), pf::Boxed<pf::Color>::make(colour(ButtonKind, variant, 0)));
        add(entry(button, "backgroundColor"), pf::Boxed<pf::Color>::make(colour(ButtonKind, variant, 1)));
        add(entry(button, "cornerRadius"), pf::Value(4));
        add(entry(button, "borderWidth"), pf::Value(1));
        add(entry(button, "borderColor"), pf::Boxed<pf::Color>::make(colour(ButtonKind, variant, 4)));

        std::string view = styleName(ViewKind, variant);
        add(entry(view, "backgroundColor"), pf::Boxed<pf::Color>::make(colour(ViewKind, variant, 0)));
        add(entry(view, "cornerRadius"), pf::Value(6));
        add(entry(view, "borderWidth"), pf::Value(0.5));
        add(entry(view, "borderColor"), pf::Boxed<pf::Color>::make(colour(ViewKind, variant, 3)));
        add(entry(view, "shadowOpacity"), pf::Value(0.3));
    }
    return std::make_shared<pf::Array>(std::move(entries));
}

struct Scene {
    std::vector<std::shared_ptr<pf::Label>> labels;
    std::vector<std::shared_ptr<pf::Button>> buttons;
    std::vector<pf::ViewRef> views;
    std::vector<int> labelVariants, buttonVariants, viewVariants;
    std::shared_ptr<KRStyleSheet> sheet;
    std::shared_ptr<KRStyleOutletContainer> container;
};

Scene makeScene()
{
    registerUIClasses();
    Scene scene;
    auto controller = std::make_shared<KRStyleController>("", nullptr);
    controller->setView(pf::View::create());
    controller->setStyles(styleEntries());
    scene.sheet = std::make_shared<KRStyleSheet>();
    scene.sheet->setStyleController(controller);
    std::vector<pf::Value> outlets;
    for (int i = 0; i < kOutlets; ++i) {
        int kind = i % 3, variant = (i / 3) % kVariants;
        std::vector<pf::Value> views;
        for (int v = 0; v < kViewsPerOutlet; ++v) {
            pf::ViewRef view;
            if (kind == LabelKind) {
                scene.labels.push_back(std::make_shared<pf::Label>());
                scene.labelVariants.push_back(variant);
                view = scene.labels.back();
            } else if (kind == ButtonKind) {
                scene.buttons.push_back(std::make_shared<pf::Button>());
                scene.buttonVariants.push_back(variant);
                view = scene.buttons.back();
            } else {
                scene.views.push_back(pf::View::create());
                scene.viewVariants.push_back(variant);
                view = scene.views.back();
            }
            views.emplace_back(pf::ObjectRef(view));
        }
        auto outlet = std::make_shared<KRStyleOutlet>();
        outlet->setStyleName(styleName(kind, variant));
        outlet->setViews(std::make_shared<pf::Array>(std::move(views)));
        outlets.emplace_back(pf::ObjectRef(outlet));
    }
    scene.container = std::make_shared<KRStyleOutletContainer>();
    scene.container->setStyles(std::make_shared<pf::Array>(std::move(outlets)));
    scene.container->setStyleSheet(scene.sheet);
    return scene;
}

void BM_StyleApply200(benchmark::State& state)
{
    Scene scene = makeScene();
    for (auto _ : state)
        scene.container->applyStyleSheet();
    state.SetItemsProcessed(state.iterations() * kOutlets * kViewsPerOutlet * 5);
}
BENCHMARK(BM_StyleApply200);

void BM_DirectSet200(benchmark::State& state)
{
    Scene scene = makeScene();
    std::vector<pf::Font> fonts;
    for (int variant = 0; variant < kVariants; ++variant)
        fonts.push_back(pf::Font::boldSystem(13 + variant));
    for (auto _ : state) {
        for (std::size_t i = 0; i < scene.labels.size(); ++i) {
            pf::Label& label = *scene.labels[i];
            int variant = scene.labelVariants[i];
            label.setTextColor(colour(LabelKind, variant, 0));
            label.setFont(fonts[variant]);
            label.setBackgroundColor(colour(LabelKind, variant, 2));
            label.setAlpha(0.9);
            label.setCornerRadius(2 + variant);
        }
        for (std::size_t i = 0; i < scene.buttons.size(); ++i) {
            pf::Button& button = *scene.buttons[i];
            int variant = scene.buttonVariants[i];
            button.setTitleColor(colour(ButtonKind, variant, 0), pf::ControlStates::Normal);
            button.setBackgroundColor(colour(ButtonKind, variant, 1));
            button.setCornerRadius(4);
            button.setBorderWidth(1);
            button.setBorderColor(colour(ButtonKind, variant, 4));
        }
        for (std::size_t i = 0; i < scene.views.size(); ++i) {
            pf::View& view = *scene.views[i];
            int variant = scene.viewVariants[i];
            view.setBackgroundColor(colour(ViewKind, variant, 0));
            view.setCornerRadius(6);
            view.setBorderWidth(0.5);
            view.setBorderColor(colour(ViewKind, variant, 3));
            view.setShadowOpacity(0.3);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kOutlets * kViewsPerOutlet * 5);
}
BENCHMARK(BM_DirectSet200);

}

BENCHMARK_MAIN();
