// Interface files against their baselines, on a file of 100 views, each
// with a frame, a text, a colour, a font and one outlet of the owner:
// loading (parse and resolve) against libxml2's own parse of the same text,
// and instantiating against building the same objects through typed setters.
// Every other view is a label, the rest buttons.
#include "platform/controls/Button.h"
#include "platform/controls/ControlsRegistration.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/UiRegistration.h"
#include "platform/ui/View.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <map>
#include <string>

namespace {

class BenchOwner : public pf::Object {
public:
    std::optional<pf::Error> setValueForUndefinedKey(std::string_view key, const pf::Value& value) override
    {
        outlets[std::string(key)] = value.object();
        return std::nullopt;
    }
    std::shared_ptr<pf::View> view() const { return m_view; }
    void setView(std::shared_ptr<pf::View> view) { m_view = std::move(view); }
    std::map<std::string, pf::ObjectRef> outlets;

private:
    std::shared_ptr<pf::View> m_view;
};

void registerBenchClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    pf::registerControlsClasses();
    pf::ClassBuilder<BenchOwner>("BenchOwner")
        .property("view", &BenchOwner::view, &BenchOwner::setView)
        .takesAnyKey()
        .commit();
}

// "v" and the index, appended piece by piece (a chained addition trips a
// false overlap warning in optimised builds).
std::string outletName(int i)
{
    std::string name = "v";
    name += std::to_string(i);
    return name;
}

const std::string& fileText()
{
    static const std::string text = [] {
        std::string body = "<interface owner=\"BenchOwner\">\n<object id=\"root\" class=\"View\">"
                           "<rect name=\"frame\">{{0, 0}, {320, 4000}}</rect><subviews>\n";
        std::string outlets;
        for (int i = 0; i < 100; ++i) {
            std::string id = outletName(i);
            bool label = i % 2 == 0;
            body += "<object id=\"" + id + "\" class=\"" + (label ? "Label" : "Button") +
                    "\"><rect name=\"frame\">{{10, " + std::to_string(i * 40) + "}, {300, 36}}</rect><string name=\"" +
                    (label ? "text" : "title") + "\">第" + std::to_string(i) + "行 row</string><color name=\"" +
                    (label ? "textColor" : "titleColor") + "\">#336699</color><font name=\"" +
                    (label ? "font" : "titleFont") + "\">14 bold</font></object>\n";
            outlets += "<outlet name=\"" + id + "\" to=\"" + id + "\"/>\n";
        }
        return body + "</subviews></object>\n<outlet name=\"view\" to=\"root\"/>\n" + outlets + "</interface>\n";
    }();
    return text;
}

const pf::Bundle& bundle()
{
    static pf::Bundle b("/nonexistent-bench-bundle");
    return b;
}

void BM_Libxml2Parse100(benchmark::State& state)
{
    const std::string& text = fileText();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(text.data(), int(text.size()), "bench.xml", nullptr, XML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
}
BENCHMARK(BM_Libxml2Parse100);

void BM_InterfaceLoad100(benchmark::State& state)
{
    registerBenchClasses();
    const std::string& text = fileText();
    for (auto _ : state) {
        auto file = pf::InterfaceFile::parse(text, "Bench", bundle());
        if (!file)
            state.SkipWithError(file.error().description.c_str());
        benchmark::DoNotOptimize(file);
    }
}
BENCHMARK(BM_InterfaceLoad100);

void BM_InterfaceInstantiate100(benchmark::State& state)
{
    registerBenchClasses();
    auto file = pf::InterfaceFile::parse(fileText(), "Bench", bundle());
    if (!file) {
        state.SkipWithError(file.error().description.c_str());
        return;
    }
    for (auto _ : state) {
        auto owner = std::make_shared<BenchOwner>();
        auto objects = file.value()->instantiate(owner);
        benchmark::DoNotOptimize(objects);
    }
}
BENCHMARK(BM_InterfaceInstantiate100);

void BM_DirectBuild100(benchmark::State& state)
{
    registerBenchClasses();
    for (auto _ : state) {
        auto owner = std::make_shared<BenchOwner>();
        auto root = std::make_shared<pf::View>();
        root->setFrame({0, 0, 320, 4000});
        for (int i = 0; i < 100; ++i) {
            std::string text = "第" + std::to_string(i) + "行 row";
            pf::Color color = *pf::Color::parse("#336699");
            pf::Font font(pf::Font::defaultFamily(), 14, pf::FontWeight::Bold);
            std::shared_ptr<pf::View> view;
            if (i % 2 == 0) {
                auto label = std::make_shared<pf::Label>(pf::Rect{10, double(i * 40), 300, 36});
                label->setText(text);
                label->setTextColor(color);
                label->setFont(font);
                view = label;
            } else {
                auto button = std::make_shared<pf::Button>(pf::Rect{10, double(i * 40), 300, 36});
                button->setTitle(text, pf::ControlStates::Normal);
                button->setTitleColor(color, pf::ControlStates::Normal);
                button->setTitleFont(font);
                view = button;
            }
            root->addSubview(view);
            owner->outlets[outletName(i)] = view;
        }
        owner->setView(root);
        benchmark::DoNotOptimize(owner);
    }
}
BENCHMARK(BM_DirectBuild100);

}

BENCHMARK_MAIN();
