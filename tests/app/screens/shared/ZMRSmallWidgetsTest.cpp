// The spinner, the image-right button and the element-bound image view.

#include "app/screens/shared/ZMRImageView.h"
#include "app/screens/shared/ZMRLoadingView.h"
#include "app/screens/shared/ZMRRImageButton.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/dom/KRDOMViewElement.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// Ten points a byte, so "abcdef" is 60 points wide.
class FixedMeasurer final : public pf::TextMeasurer {
public:
    pf::Size measure(std::string_view text, const pf::TextStyle&, double) const override
    {
        return {10.0 * static_cast<double>(text.size()), 18};
    }
};

pf::ImageRef imageOfWidth(int points)
{
    return pf::Image::create(pf::Bitmap::create(points * 2, 40, 2).value());
}

std::string insets(const pf::EdgeInsets& e)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g, %g)", e.top, e.left, e.bottom, e.right);
    return text;
}

}

TEST(ZMRLoadingView, SpinsOnceThroughFourQuartersUntilStopped)
{
    ZMRLoadingView view(pf::Image::named("ico39.png"));
    EXPECT_EQ(view.frame(), pf::Rect(0, 0, 20, 20)) << "the shipped spinner is 20 points square";
    view.stopAnimating(); // not spinning: nothing to do
    EXPECT_FALSE(view.isAnimating());
    EXPECT_FALSE(view.hasAnimations());

    view.startAnimating();
    view.startAnimating();
    ASSERT_TRUE(view.isAnimating());
    auto spin = view.animationForKey("loading");
    ASSERT_TRUE(spin);
    EXPECT_EQ(spin->property, pf::AnimatedProperty::Rotation);
    ASSERT_EQ(spin->values.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(std::get<double>(spin->values[i]), std::numbers::pi * static_cast<double>(i) / 2, 1e-6) << i;
    EXPECT_DOUBLE_EQ(spin->duration, 0.8);
    EXPECT_TRUE(spin->cumulative);
    EXPECT_TRUE(spin->repeatsForever());
    EXPECT_TRUE(spin->isValid());
    // Started twice, held once: one removal ends it.
    view.stopAnimating();
    EXPECT_FALSE(view.isAnimating());
    EXPECT_FALSE(view.hasAnimations());
}

TEST(ZMRRImageButton, InsetsPutTheImageRightOfTheTitle)
{
    FixedMeasurer measurer;
    struct Row {
        pf::ContentHorizontalAlignment alignment;
        int imageWidth; // 0: no image
        const char* title;
        const char* titleInsets;
        const char* imageInsets;
    } rows[] = {
        {pf::ContentHorizontalAlignment::Center, 20, "abcdef", "(0, -20, 0, 20)", "(0, 0, 0, -160)"},
        {pf::ContentHorizontalAlignment::Left, 20, "abcdef", "(0, -20, 0, 20)", "(0, 60, 0, 0)"},
        {pf::ContentHorizontalAlignment::Right, 20, "abcdef", "(0, -20, 0, 20)", "(0, 60, 0, 0)"},
        {pf::ContentHorizontalAlignment::Center, 20, nullptr, "(0, -20, 0, 20)", "(0, 0, 0, -40)"},
        {pf::ContentHorizontalAlignment::Center, 0, "abcdef", "(0, 0, 0, 0)", "(0, 0, 0, 0)"},
    };
    for (const Row& row : rows) {
        // The image first and the title after, and the other way round: either change recomputes.
        for (bool imageFirst : {true, false}) {
            ZMRRImageButton button(pf::Rect(0, 0, 200, 40));
            button.setTextMeasurer(&measurer);
            button.setContentHorizontalAlignment(row.alignment);
            auto setImage = [&] {
                if (row.imageWidth)
                    button.setImage(imageOfWidth(row.imageWidth), pf::ControlStates::Normal);
            };
            if (imageFirst)
                setImage();
            button.setTitle(row.title ? std::optional<std::string>(row.title) : std::nullopt, pf::ControlStates::Normal);
            if (!imageFirst)
                setImage();
            EXPECT_EQ(insets(button.titleEdgeInsets()), row.titleInsets) << row.imageWidth << " " << imageFirst;
            EXPECT_EQ(insets(button.imageEdgeInsets()), row.imageInsets) << row.imageWidth << " " << imageFirst;
            EXPECT_EQ(button.titleLineBreakMode(), pf::LineBreakMode::TruncateTail);
        }
    }
}

TEST(ZMRRImageButton, ImageKeyTakesANameNullOrAPicture)
{
    ZMRRImageButton button(pf::Rect(0, 0, 200, 40));
    pf::ImageRef picture = imageOfWidth(30);
    struct Row {
        pf::Value value;
        double widthAfter; // 0: no image
    } rows[] = {
        {pf::Value("ico39.png"), 20},
        {pf::Value(42), 20},                  // not a name or picture: unchanged
        {pf::Value(pf::ObjectRef(picture)), 30},
        {pf::Value::null(), 0},
        {pf::Value("ico39"), 20},
        {pf::Value(), 0},
        {pf::Value("no-such-picture.png"), 0},
    };
    for (const Row& row : rows) {
        ASSERT_FALSE(button.trySetValueForKey("image", row.value)) << row.value.description();
        pf::ImageRef image = button.imageForState(pf::ControlStates::Normal);
        EXPECT_DOUBLE_EQ(image ? image->size().width : 0, row.widthAfter) << row.value.description();
        EXPECT_DOUBLE_EQ(button.titleEdgeInsets().right, row.widthAfter);
    }
}

TEST(ZMRImageView, SpinnerIsCentredAtEveryStartAndDroppedAtTheEnd)
{
    auto shared = std::make_shared<ZMRImageView>(pf::Rect(0, 0, 100, 60));
    ZMRImageView& view = *shared;
    view.setLoading(true);
    auto spinner = view.loadingView();
    ASSERT_TRUE(spinner);
    EXPECT_EQ(spinner->frame(), pf::Rect(40, 20, 20, 20));
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_EQ(spinner->superview().get(), &view);

    // Resized while it spins: it stays in the middle.
    view.setFrame(pf::Rect(0, 0, 200, 100));
    EXPECT_EQ(spinner->frame(), pf::Rect(90, 40, 20, 20));
    // A second start keeps the one spinner and centres it again.
    spinner->setFrame(pf::Rect(0, 0, 20, 20));
    view.setLoading(true);
    EXPECT_EQ(view.loadingView(), spinner);
    EXPECT_EQ(view.subviews().size(), 1u);
    EXPECT_EQ(spinner->frame(), pf::Rect(90, 40, 20, 20));

    view.setLoading(false);
    EXPECT_FALSE(view.isLoading());
    EXPECT_FALSE(view.loadingView());
    EXPECT_FALSE(spinner->superview());
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_TRUE(view.subviews().empty());
    view.setLoading(false); // no spinner: nothing to do
    view.setLoading(true);
    EXPECT_NE(view.loadingView(), spinner) << "each load has a new spinner";
}

TEST(ZMRImageView, MarkupViewClassTakesItsAddressesFromTheElement)
{
    struct Row {
        const char* markup;
        const char* src;        // "-": none
        const char* defaultSrc; // "-": none
    } rows[] = {
        {"<view viewClass=ZMRImageView src='http://h/a.jpg' default-src='ico39.png' width=50 height=50/>", "http://h/a.jpg",
         "ico39.png"},
        {"<view viewClass=ZMRImageView width=50 height=50/>", "-", "-"},
    };
    for (const Row& row : rows) {
        auto root = KRDOMParse().newElement("root", "");
        ASSERT_TRUE(KRDOMParse().parseHTML(row.markup, root));
        auto element = std::dynamic_pointer_cast<KRDOMViewElement>(root->childs().at(0));
        ASSERT_TRUE(element);
        EXPECT_EQ(element->viewClass().name(), "ZMRImageView");
        pf::ViewRef made = element->viewClass().create(pf::Rect(0, 0, 50, 50));
        auto view = std::dynamic_pointer_cast<ZMRImageView>(made);
        ASSERT_TRUE(view) << row.markup;
        EXPECT_FALSE(view->isUserInteractionEnabled()) << "an image view takes no touches until it stands for an element";
        setElement(*view, element);
        EXPECT_EQ(view->src().value_or("-"), row.src) << row.markup;
        EXPECT_EQ(view->defaultSrc().value_or("-"), row.defaultSrc) << row.markup;
        EXPECT_TRUE(view->isUserInteractionEnabled());
        setElement(*view, nullptr);
        EXPECT_FALSE(view->src()) << "no element: no address";
    }
}
