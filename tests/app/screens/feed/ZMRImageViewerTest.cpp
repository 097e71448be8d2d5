// The picture viewer: paging, loading, the bars, zooming and saving, with
// pictures from the in-process server.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/feed/ZMRImageViewController.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/ActionSheet.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Label.h"
#include "platform/controls/PhotoAlbum.h"
#include "platform/ui/Application.h"
#include "tests/platform/controls/ControlsTestSupport.h"

#include <fstream>

namespace {

class ImageViewer : public AppScreenTest {
protected:
    void TearDown() override
    {
        pf::Application::shared().setStatusBarHidden(false);
        AppScreenTest::TearDown();
    }

    // `count` pictures, `missing` of them (by index) not on the server.
    pf::ArrayRef pictures(int count, int missing = -1)
    {
        auto list = pf::Array::create();
        for (int i = 0; i < count; ++i) {
            auto entry = pf::Dictionary::create();
            entry->set("uri", pf::Value(origin() + (i == missing ? "/images/none.png" : "/pages/agreement.png")));
            list->add(pf::Value(entry));
        }
        return list;
    }

    std::shared_ptr<ZMRImageViewController> openViewer(const pf::Value& focus)
    {
        EXPECT_TRUE(open("root:///root/start"));
        shell->setFocusValue(focus, "image");
        EXPECT_TRUE(open("root:///root/start/image"));
        return topController<ZMRImageViewController>();
    }

    static pf::Value focus(const pf::ArrayRef& images, const pf::Value& pageIndex)
    {
        auto value = pf::Dictionary::create();
        if (images)
            value->set("images", pf::Value(images));
        value->set("pageIndex", pageIndex);
        return pf::Value(value);
    }

    static std::shared_ptr<KRImageView> imageOf(const ZMRImageViewController& viewer, int index)
    {
        auto page = viewer.pageView(index);
        return page ? std::dynamic_pointer_cast<KRImageView>(page->viewWithTag(100)) : nullptr;
    }

    // Which pages have been handed to the image service: "1.1." for 3 of 5 with pages 0, 2, 4 untouched.
    static std::string touched(const ZMRImageViewController& viewer, int count)
    {
        std::string out;
        for (int i = 0; i < count; ++i) {
            auto image = imageOf(viewer, i);
            out += image && (image->isLoaded() || image->isLoading()) ? '1' : '.';
        }
        return out;
    }

    std::string titleShown()
    {
        auto label = std::dynamic_pointer_cast<pf::Label>(viewWithText("/"));
        return label ? label->text() : std::string();
    }

    bool barsHidden() { return pf::Application::shared().isStatusBarHidden(); }

    // Saves through the sheet; answers the alert's message.
    std::string save(ZMRImageViewController& viewer)
    {
        viewer.doImageAction(nullptr);
        settle();
        EXPECT_TRUE(tapText("保存到相册"));
        auto alerts = pf::AlertView::visibleAlerts();
        if (alerts.empty())
            return {};
        std::string message = alerts.back()->message();
        alerts.back()->dismissWithClickedButtonIndex(0, false);
        settle();
        return message;
    }
};

TEST_F(ImageViewer, OpensOnThePictureAskedForAndLoadsItsNeighbours)
{
    struct Row {
        int count;
        pf::Value pageIndex;
        const char* title;
        int page;
        const char* touched;
    };
    const Row rows[] = {
        {5, pf::Value("2"), "3/5", 2, ".111."},
        {5, pf::Value(0), "1/5", 0, "11..."},
        {5, pf::Value(99), "5/5", 4, "...11"},      // clamped
        {5, pf::Value(-3), "1/5", 0, "11..."},      // clamped
        {2, pf::Value("pictures"), "1/2", 0, "11"}, // not a number
        {0, pf::Value(1), "0/0", 0, ""},
    };
    for (const Row& row : rows) {
        auto viewer = openViewer(focus(pictures(row.count), row.pageIndex));
        ASSERT_TRUE(viewer) << row.title;
        ASSERT_TRUE(settle());
        EXPECT_EQ(viewer->title(), row.title);
        EXPECT_EQ(titleShown(), row.title);
        EXPECT_EQ(viewer->pageIndex(), row.page) << row.title;
        EXPECT_EQ(viewer->contentView()->contentOffset().x, row.page * viewer->contentView()->bounds().width()) << row.title;
        EXPECT_EQ(touched(*viewer, row.count), row.touched) << row.title;
    }
    // Without any array there is nothing to show or save.
    auto viewer = openViewer(pf::Value("not a dictionary"));
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->title(), "0/0");
    viewer->saveShownImage();
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
}

TEST_F(ImageViewer, ScrollingLoadsTheReachedPicturesAndShowsThePosition)
{
    auto viewer = openViewer(focus(pictures(5), pf::Value(0)));
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(settle());
    double w = viewer->contentView()->bounds().width();
    viewer->contentView()->setContentOffset({4 * w, 0});
    ASSERT_TRUE(settle());
    EXPECT_EQ(viewer->title(), "5/5");
    EXPECT_EQ(touched(*viewer, 5), "11.11");
    EXPECT_EQ(titleShown(), "5/5");
}

// Each page's own scroll view sees the finger first: it must leave a sideways
// swipe to the pager unless its zoomed picture can still move that way.
TEST_F(ImageViewer, ASwipeTurnsThePageUnlessTheZoomedPictureCanMoveThatWay)
{
    auto viewer = openViewer(focus(pictures(3), pf::Value(0)));
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(settle());
    auto page = viewer->pageView(0);
    ASSERT_TRUE(page);
    struct Row {
        const char* what;
        double zoom;
        bool atRightEdge;
        pf::Point to;
        const char* title;
    };
    const Row rows[] = {
        {"at its size", 1, false, {40, 300}, "2/3"},
        {"zoomed in", 2, false, {200, 300}, "1/3"},
        {"zoomed in, at its right edge", 2, true, {40, 300}, "2/3"},
    };
    for (const Row& row : rows) {
        viewer->contentView()->setContentOffset({0, 0});
        ASSERT_TRUE(settle());
        page->setZoomScale(row.zoom);
        if (row.atRightEdge)
            page->setContentOffset(page->maxContentOffset());
        pf::Point before = page->contentOffset();
        drag({300, 300}, row.to);
        EXPECT_EQ(viewer->title(), row.title) << row.what;
        EXPECT_EQ(titleShown(), row.title) << row.what;
        if (std::string(row.title) == "1/3")
            EXPECT_GT(page->contentOffset().x, before.x) << "the zoomed picture did not move";
    }
}

TEST_F(ImageViewer, TapsToggleTheBarsLateAndDoubleTapsZoom)
{
    auto viewer = openViewer(focus(pictures(2), pf::Value(0)));
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(settle());
    pf::Point middle{160, 300};
    host->tap(middle);
    host->advance(0.2);
    EXPECT_FALSE(barsHidden()) << "the bars went before 0.3 s";
    host->advance(0.2);
    EXPECT_TRUE(barsHidden());
    ASSERT_TRUE(settle());
    // The viewer reaches the window's top: no band where the status bar was.
    EXPECT_TRUE(pixelIs({160, 10}, viewer->view()->backgroundColor().value_or(pf::Color::whiteColor()), 10));
    EXPECT_FALSE(pixelIs({160, 10}, pf::Color::whiteColor(), 10));
    tap(middle);
    host->advance(0.4);
    EXPECT_FALSE(barsHidden());

    auto page = viewer->pageView(0);
    ASSERT_TRUE(page);
    struct Row {
        double before;
        double after;
    };
    const Row rows[] = {{1.0, 2.0}, {2.0, 1.0}, {1.5, 1.0}};
    for (const Row& row : rows) {
        page->setZoomScale(row.before);
        host->tap(middle);
        host->tap(middle);
        ASSERT_TRUE(settle());
        host->advance(0.5);
        EXPECT_EQ(page->zoomScale(), row.after) << row.before;
        EXPECT_TRUE(barsHidden()) << "a double tap toggled the bars back";
    }
}

TEST_F(ImageViewer, ItsButtonsActOnTheFirstTapAndEscapeLeavesIt)
{
    auto viewer = openViewer(focus(pictures(2), pf::Value(0)));
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapButtonTitled("保存"));
    host->advance(0.4);
    EXPECT_FALSE(barsHidden()) << "the tap on the button toggled the bars";
    EXPECT_TRUE(viewWithText("保存到相册")) << "no saving sheet";
    press(pf::KeyEvent::Kind::Escape);
    EXPECT_FALSE(viewWithText("保存到相册")) << "Escape left the sheet open";
    EXPECT_EQ(topController<ZMRImageViewController>(), viewer) << "Escape went past the sheet";
    ASSERT_TRUE(tapButtonTitled("返回"));
    EXPECT_FALSE(topController<ZMRImageViewController>()) << "返回 did not leave the viewer";
    EXPECT_EQ(topURL(), "root:///root/start");

    viewer = openViewer(focus(pictures(2), pf::Value(0)));
    ASSERT_TRUE(viewer && settle());
    press(pf::KeyEvent::Kind::Escape);
    EXPECT_FALSE(topController<ZMRImageViewController>()) << "Escape did not leave the viewer";
    EXPECT_EQ(topURL(), "root:///root/start");
}

TEST_F(ImageViewer, APinchZoomsThePictureAndADoubleTapThenReturnsToOne)
{
    auto viewer = openViewer(focus(pictures(2), pf::Value(0)));
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(settle());
    auto page = viewer->pageView(0);
    ASSERT_TRUE(page);
    pinch({160, 300}, 100, 150);
    host->advance(0.5);
    EXPECT_EQ(page->zoomScale(), 1.5);
    EXPECT_EQ(viewer->contentView()->contentOffset().x, 0) << "the pinch turned the page";
    EXPECT_FALSE(barsHidden()) << "the fingers counted as a tap";
    host->tap({160, 300});
    host->tap({160, 300});
    ASSERT_TRUE(settle());
    host->advance(0.5);
    EXPECT_EQ(page->zoomScale(), 1.0);
}

TEST_F(ImageViewer, SavesOnlyADownloadedPictureAndSaysWhetherItWorked)
{
    pf::test::PicturesFolder folder("viewer");
    auto viewer = openViewer(focus(pictures(2, 1), pf::Value(1)));
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(settle());
    EXPECT_EQ(save(*viewer), "图片还没有下载完成");
    EXPECT_TRUE(pf::photoAlbumImagePaths().empty());

    viewer->contentView()->setContentOffset({0, 0});
    ASSERT_TRUE(settle());
    ASSERT_TRUE(waitFor([&] { return imageOf(*viewer, 0)->isLoaded(); }));
    EXPECT_FALSE(pixelIs({160, 284}, pf::Color::black(), 10)) << "the picture is not drawn";
    EXPECT_EQ(save(*viewer), "保存成功");
    EXPECT_EQ(pf::photoAlbumImagePaths().size(), 1u);

    // A pictures "folder" that is a file cannot take the picture.
    std::ofstream(folder.path / "file") << "x";
    setenv("ZMR_PICTURES", (folder.path / "file").c_str(), 1);
    EXPECT_EQ(save(*viewer), "保存失败");
}

}
