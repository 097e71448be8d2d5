#include "framework/ui/KRStyleOutlet.h"
#include "framework/ui/KRStyleOutletContainer.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Boxed.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

namespace {

const pf::Color kRed = pf::Color::rgb(1, 0, 0);
const pf::Color kGreen = pf::Color::rgb(0, 1, 0);

// Counts how often a style sets its "marker" key.
class MarkedView : public pf::View {
public:
    std::string marker() const { return m_marker; }
    void setMarker(std::string marker)
    {
        m_marker = std::move(marker);
        ++sets;
    }
    int sets = 0;

private:
    std::string m_marker;
};

void registerMarkedView()
{
    pf::ClassBuilder<MarkedView>("StyleTestMarkedView")
        .superclass<pf::View>()
        .property("marker", &MarkedView::marker, &MarkedView::setMarker)
        .commit();
}

KRStyleRef entry(const char* name, const char* key, pf::Value value)
{
    auto style = std::make_shared<KRStyle>();
    style->setName(name);
    style->setKey(key);
    style->setValue(std::move(value));
    return style;
}

KRStyleControllerRef controllerWith(std::vector<KRStyleRef> styles)
{
    auto controller = std::make_shared<KRStyleController>("", nullptr);
    controller->setView(pf::View::create());
    std::vector<pf::Value> values;
    for (auto& style : styles)
        values.emplace_back(pf::ObjectRef(style));
    controller->setStyles(std::make_shared<pf::Array>(std::move(values)));
    return controller;
}

std::shared_ptr<KRStyleOutlet> outlet(const char* name, std::vector<pf::ObjectRef> views, const char* status = nullptr)
{
    auto result = std::make_shared<KRStyleOutlet>();
    result->setStyleName(name);
    std::vector<pf::Value> values(views.begin(), views.end());
    result->setViews(std::make_shared<pf::Array>(std::move(values)));
    if (status)
        result->setStatus(status);
    return result;
}

pf::ImageRef tinyImage()
{
    auto bitmap = pf::Bitmap::create(2, 2);
    return bitmap ? pf::Image::create(bitmap.value()) : nullptr;
}

}

TEST(KRStyleOutlet, SetsEveryKeyItCanAndSkipsTheRest)
{
    pf::ImageRef picture = tinyImage();
    auto sheet = std::make_shared<KRStyleSheet>();
    auto font = std::make_shared<KRStyle>();
    font->setName("title");
    font->setKey("font");
    font->setFontValue("17 bold");
    sheet->setStyleController(controllerWith({
        entry("title", "noSuchKey", pf::Value("x")),
        entry("title", "textColor", pf::Boxed<pf::Color>::make(kRed)),
        entry("title", "titleColor", pf::Boxed<pf::Color>::make(kGreen)),
        entry("title", "backgroundImage", pf::ObjectRef(picture)),
        entry("title", "borderColor", pf::Value(12)),
        font,
    }));
    auto label = std::make_shared<pf::Label>();
    auto button = std::make_shared<pf::Button>();
    auto plain = pf::View::create();
    auto title = outlet("title", {label, button, plain});
    title->setStyleSheet(sheet);

    EXPECT_EQ(label->textColor(), kRed) << "a missing key leaves the others";
    EXPECT_EQ(label->font().size(), 17);
    EXPECT_EQ(button->titleColorForState(pf::ControlStates::Normal), kGreen) << "textColor then titleColor";
    EXPECT_EQ(button->backgroundImageForState(pf::ControlStates::Normal), picture) << "the button's own key";
    EXPECT_FALSE(button->backgroundPattern());
    EXPECT_EQ(plain->backgroundPattern(), picture);
    EXPECT_TRUE(plain->valueForKey("backgroundImage").isNil());
    EXPECT_EQ(plain->borderColor(), pf::Color::black()) << "a wrong-typed value is skipped";
    EXPECT_EQ(title->version(), sheet->version());

    title->setStyleSheet(nullptr);
    EXPECT_EQ(title->version(), 0);
}

TEST(KRStyleOutletContainer, ChoosesOutletsByStatusSubstring)
{
    struct Row { const char* containerStatus; const char* outletStatus; bool applied; } rows[] = {
        {"edit", "edit", true}, {"edit", "view", false}, {"edit", nullptr, true},
        {nullptr, "view", true}, {"editing", "edit", true}, {"", "edit", false},
    };
    registerMarkedView();
    auto sheet = std::make_shared<KRStyleSheet>();
    sheet->setStyleController(controllerWith({entry("s", "marker", pf::Value("on"))}));
    for (const auto& row : rows) {
        auto view = std::make_shared<MarkedView>();
        auto container = std::make_shared<KRStyleOutletContainer>();
        container->setStyles(pf::Array::create({pf::Value(pf::ObjectRef(outlet("s", {view}, row.outletStatus)))}));
        if (row.containerStatus)
            container->setStatus(row.containerStatus);
        container->setStyleSheet(sheet);
        EXPECT_EQ(view->sets, row.applied ? 1 : 0) << (row.containerStatus ? row.containerStatus : "nil") << " / "
                                                   << (row.outletStatus ? row.outletStatus : "nil");
    }
}

TEST(KRStyleOutletContainer, RestylesOncePerControllerReplacement)
{
    registerMarkedView();
    auto sheet = std::make_shared<KRStyleSheet>();
    auto first = controllerWith({entry("s", "marker", pf::Value("first"))});
    sheet->setStyleController(first);
    auto view = std::make_shared<MarkedView>();
    auto container = std::make_shared<KRStyleOutletContainer>();
    container->setStyles(pf::Array::create({pf::Value(pf::ObjectRef(outlet("s", {view})))}));
    container->setStyleSheet(sheet);
    container->setStyleSheet(sheet);
    ASSERT_EQ(view->sets, 1);

    sheet->setStyleController(controllerWith({entry("s", "marker", pf::Value("second"))}));
    EXPECT_EQ(view->sets, 2);
    EXPECT_EQ(view->marker(), "second");
    sheet->setStyleController(sheet->styleController());
    EXPECT_EQ(view->sets, 2) << "the same controller again changes nothing";

    // A released container is no longer told.
    container.reset();
    sheet->setStyleController(first);
    EXPECT_EQ(view->sets, 2);
}
