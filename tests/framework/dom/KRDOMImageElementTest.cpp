#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace domtest;
using pf::test::pixelIs;

namespace {

// A bundle folder of pictures: "frame.png" (100 x 100, a 10-point red rim
// around green), "wide.png" (100 x 50, blue), "img:/a.png" (red).
class ImageElementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(folder / "img:");
        pictures.write("frame.png", picture(100, 100, [](int x, int y) {
                           return x < 10 || y < 10 || x >= 90 || y >= 90 ? kRed : kGreen;
                       }));
        pictures.write("wide.png", picture(100, 50, [](int, int) { return kBlue; }));
        pictures.write("img:/a.png", picture(10, 10, [](int, int) { return kRed; }));
        document = KRDOMDocument::create();
        document->setBundle(pictures.bundle());
    }
    void TearDown() override { pf::RunLoop::main().runUntilIdle(); }
    // An "img" element of the document with the attributes of the markup.
    std::shared_ptr<KRDOMImageElement> element(const std::string& attributes)
    {
        KRDOMElementRef root = parseTyped("<r width=100% height=100%><img " + attributes + "/></r>");
        document->setRootElement(root);
        return std::dynamic_pointer_cast<KRDOMImageElement>(root->childs().at(0));
    }

    PictureFolder pictures{"img"};
    const std::filesystem::path& folder = pictures.path;
    KRDOMDocumentRef document;
};

}

TEST_F(ImageElementTest, AutoSidesTakeTheSourcePictureNotThePlaceholder)
{
    struct Row {
        const char* attributes;
        pf::Rect frame;
    };
    for (const Row& row : std::vector<Row>{
             {"src=wide.png width=auto height=40", {0, 0, 100, 40}},
             {"src=wide.png width=auto height=auto", {0, 0, 100, 50}},
             {"src=wide.png width=30 height=20", {0, 0, 30, 20}},
             {"src=missing.png defaultSrc=wide.png width=auto height=auto", {0, 0, 0, 0}},
             {"width=auto height=auto", {0, 0, 0, 0}},
         }) {
        auto img = element(row.attributes);
        img->layout({320, 480});
        EXPECT_EQ(img->frame(), row.frame) << row.attributes;
    }
}

TEST_F(ImageElementTest, DeliveredPictureFitsOneSideToItsAspectRatio)
{
    struct Row {
        const char* attributes;
        pf::Rect frame;
        pf::ImageRef delivered;
        pf::Rect fitted;
    };
    pf::ImageRef square = solidImage(30, 30, kRed);
    for (const Row& row : std::vector<Row>{
             {"fit-width", {5, 5, 200, 100}, square, {5, 5, 100, 100}},
             {"fit-height", {5, 5, 200, 100}, square, {5, 5, 200, 200}},
             {"fit-width fit-height", {0, 0, 200, 100}, solidImage(20, 10, kRed), {0, 0, 200, 100}},
             {"fit-width", {0, 0, 0, 100}, square, {0, 0, 0, 100}},
             {"fit-height", {0, 0, 200, 100}, pf::ImageRef(), {0, 0, 200, 100}},
             {"", {0, 0, 200, 100}, square, {0, 0, 200, 100}},
         }) {
        auto img = element(row.attributes);
        img->setFrame(row.frame);
        img->setImage(row.delivered, false);
        EXPECT_EQ(img->frame(), row.fitted) << row.attributes;
    }
}

TEST_F(ImageElementTest, LoadedFollowsWhereTheDeliveryCameFromUntilTheSourceChanges)
{
    auto img = element("src=http://example.com/a.png");
    img->setImage(solidImage(4, 4, kRed)); // a plain setter settles nothing
    EXPECT_FALSE(img->isLoaded());
    img->setImage(nullptr, true); // a local miss: the service may still download
    EXPECT_FALSE(img->isLoaded());
    img->setImage(nullptr, false); // a failed download
    EXPECT_TRUE(img->isLoaded());
    img->setLoading(true);
    img->setSrc("wide.png");
    EXPECT_FALSE(img->isLoaded());
    EXPECT_FALSE(img->isLoading());
    ASSERT_TRUE(img->image());
    EXPECT_EQ(img->image()->size(), (pf::Size{100, 50}));
    img->setImage(solidImage(4, 4, kRed), true);
    EXPECT_TRUE(img->isLoaded());
    EXPECT_EQ(img->image()->size(), (pf::Size{4, 4}));
}

TEST_F(ImageElementTest, OnlyBundleNamesAreLookedUpAndAMissIsKeptUntilTheSourceIsSetAgain)
{
    for (const char* src : {"img://a.png", "../frame.png", "/etc/passwd", "http://x/frame.png", "none.png"})
        EXPECT_FALSE(element(std::string("src=") + src)->image()) << src;

    auto img = element("src=later.png");
    EXPECT_FALSE(img->image());
    std::filesystem::copy_file(folder / "wide.png", folder / "later.png");
    EXPECT_FALSE(img->image());
    img->setSrc("later.png");
    EXPECT_TRUE(img->image());
}

TEST_F(ImageElementTest, PictureIsCroppedByThePaddingAndPlacedByItsGravity)
{
    struct Row {
        const char* attributes;
        pf::Point probe;
        pf::Color colour;
    };
    for (const Row& row : std::vector<Row>{
             {"src=frame.png width=100 height=100 gravity=resize", {2, 50}, kRed},
             {"src=frame.png width=100 height=100 gravity=resize padding=10", {2, 50}, kGreen},
             {"src=wide.png width=100 height=100 gravity=top", {50, 75}, pf::Color::whiteColor()},
             {"src=wide.png width=100 height=100 gravity=top", {50, 25}, kBlue},
             {"src=wide.png width=100 height=100 gravity=Center", {2, 98}, kBlue}, // aspect fill
             {"src=gone.png defaultSrc=wide.png width=100 height=100 gravity=bottom", {50, 75}, kBlue},
             {"src=\"frame.png 10 10\" width=300 height=100 gravity=resize", {150, 5}, kRed},
             {"src=\"frame.png 10 10\" width=300 height=100 gravity=resize", {150, 50}, kGreen},
         }) {
        auto img = element(row.attributes);
        KRDOMElementRef root = img->parentElement();
        root->layout({300, 100});
        pf::BitmapRef frame = renderTree(*root, {300, 100});
        EXPECT_TRUE(pixelIs(*frame, row.probe, row.colour)) << row.attributes;
    }
}

TEST_F(ImageElementTest, RedrawAfterADeliveryComesLaterAndSkipsAReleasedElement)
{
    auto counter = std::make_shared<RedrawCounter>();
    auto img = element("src=wide.png");
    img->setDelegate(counter);
    img->setImage(solidImage(2, 2, kRed), false);
    EXPECT_EQ(counter->redraws, 0);
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(counter->redraws, 1);

    img->setImage(nullptr, false);
    document->setRootElement(nullptr);
    img.reset();
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(counter->redraws, 1);
}
