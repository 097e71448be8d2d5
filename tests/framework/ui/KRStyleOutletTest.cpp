#include "framework/ui/KRStyleOutlet.h"
#include "framework/ui/KRStyleOutletContainer.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Boxed.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/framework/ui/StyleTestSupport.h"

#include <gtest/gtest.h>

namespace {

const pf::Color kRed = pf::Color::rgb(1, 0, 0), kGreen = pf::Color::rgb(0, 1, 0);

// Counts how often a style sets its "marker" key.
class MarkedView : public pf::View {
public:
    std::string marker() const { return m_marker; }
    void setMarker(std::string marker) { m_marker = std::move(marker), ++sets; }
    int sets = 0;

private:
    std::string m_marker;
};

std::shared_ptr<KRStyleSheet> sheetWith(std::vector<KRStyleRef> styles)
{
    pf::ClassBuilder<MarkedView>("StyleTestMarkedView").superclass<pf::View>()
        .property("marker", &MarkedView::marker, &MarkedView::setMarker).commit();
    return styleSheetWith(std::move(styles));
}

std::shared_ptr<KRStyleOutlet> outlet(const char* name, std::vector<pf::ObjectRef> views, const char* status = nullptr)
{
    auto result = std::make_shared<KRStyleOutlet>();
    result->setStyleName(name);
    result->setViews(std::make_shared<pf::Array>(std::vector<pf::Value>(views.begin(), views.end())));
    if (status)
        result->setStatus(status);
    return result;
}

}

TEST(KRStyleOutlet, SetsEveryKeyItCanAndSkipsTheRest)
{
    pf::ImageRef picture = pf::Image::create(pf::Bitmap::create(2, 2).value());
    auto sheet = sheetWith({styleEntry("t", "noSuchKey", "x"), styleEntry("t", "textColor", pf::Boxed<pf::Color>::make(kRed)),
                            styleEntry("t", "titleColor", pf::Boxed<pf::Color>::make(kGreen)),
                            styleEntry("t", "backgroundImage", pf::ObjectRef(picture)), styleEntry("t", "borderColor", 12),
                            styleEntry("t", "font", {}, "17 bold")});
    auto label = std::make_shared<pf::Label>();
    auto button = std::make_shared<pf::Button>();
    auto plain = pf::View::create();
    auto title = outlet("t", {label, button, plain});
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

TEST(KRStyleOutletContainer, ChoosesOutletsByStatusAndRestylesOncePerControllerReplacement)
{
    struct Row { const char* containerStatus; const char* outletStatus; int sets; } rows[] = {
        {"edit", "edit", 1}, {"edit", "view", 0}, {"edit", nullptr, 1}, {nullptr, "view", 1}, {"editing", "edit", 1},
    };
    auto sheet = sheetWith({styleEntry("s", "marker", "first")});
    for (const auto& row : rows) {
        auto view = std::make_shared<MarkedView>();
        auto container = std::make_shared<KRStyleOutletContainer>();
        container->setStyles(pf::Array::create({pf::Value(pf::ObjectRef(outlet("s", {view}, row.outletStatus)))}));
        if (row.containerStatus)
            container->setStatus(row.containerStatus);
        container->setStyleSheet(sheet);
        container->setStyleSheet(sheet);
        EXPECT_EQ(view->sets, row.sets) << (row.containerStatus ? row.containerStatus : "nil") << " / "
                                        << (row.outletStatus ? row.outletStatus : "nil");
    }

    auto view = std::make_shared<MarkedView>();
    auto container = std::make_shared<KRStyleOutletContainer>();
    container->setStyles(pf::Array::create({pf::Value(pf::ObjectRef(outlet("s", {view})))}));
    container->setStyleSheet(sheet);
    auto first = sheet->styleController();
    sheet->setStyleController(sheetWith({styleEntry("s", "marker", "second")})->styleController());
    EXPECT_EQ(view->sets, 2);
    EXPECT_EQ(view->marker(), "second");
    sheet->setStyleController(sheet->styleController());
    EXPECT_EQ(view->sets, 2) << "the same controller again changes nothing";
    container.reset();
    sheet->setStyleController(first);
    EXPECT_EQ(view->sets, 2) << "a released container is no longer told";
}
