#include "framework/ui/KRImageView.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

pf::ImageRef picture(int width, int height)
{
    auto bitmap = pf::Bitmap::create(width, height);
    return bitmap ? pf::Image::create(bitmap.value()) : nullptr;
}

TEST(KRImageViewCrop, ModesKeepTheirPartOfThePicture)
{
    struct Row {
        int w, h;
        pf::Size bounds;
        std::optional<std::string> mode;
        pf::Rect expected;
    };
    const Row rows[] = {
        {200, 100, {100, 100}, "center", {0.25, 0, 0.5, 1}},
        {200, 100, {100, 100}, "left", {0, 0, 0.5, 1}},
        {200, 100, {100, 100}, "right", {0.5, 0, 0.5, 1}},
        {200, 100, {100, 100}, "rightBottom", {0.5, 0, 0.5, 1}},
        {100, 200, {100, 100}, "top", {0, 0, 1, 0.5}},
        {100, 200, {100, 100}, "bottom", {0, 0.5, 1, 0.5}},
        {100, 200, {100, 100}, "leftTop", {0, 0, 1, 0.5}},
        {100, 200, {100, 100}, "center", {0, 0.25, 1, 0.5}},
        {100, 200, {50, 100}, "center", {0, 0, 1, 1}},       // same aspect
        {200, 100, {100, 100}, std::nullopt, {0, 0, 1, 1}},  // no mode
        {200, 100, {100, 100}, "middle", {0, 0, 1, 1}},      // not a mode word
        {200, 100, {0, 100}, "center", {0, 0, 1, 1}},        // empty bounds have no aspect
    };
    for (const Row& row : rows) {
        auto view = std::make_shared<KRImageView>(pf::Rect({}, row.bounds));
        view->setImage(picture(row.w, row.h));
        view->setImageMode(row.mode);
        view->updateContentsRect();
        EXPECT_EQ(view->contentsRect(), row.expected) << row.w << "x" << row.h << " " << row.mode.value_or("nil");
    }
}

TEST(KRImageViewCrop, TheModeFollowsThePictureAndTheFrame)
{
    auto view = std::make_shared<KRImageView>(pf::Rect(0, 0, 100, 100));
    view->setImageMode("center");
    auto placeholder = picture(100, 200);
    view->setDefaultImage(placeholder);
    struct Row {
        const char* change;
        std::function<void()> apply;
        pf::Rect expected;
    };
    const Row rows[] = {
        {"placeholder", [] {}, {0, 0.25, 1, 0.5}},
        {"loaded picture", [&] { view->setImage(picture(200, 100)); }, {0.25, 0, 0.5, 1}},
        {"wider frame", [&] { view->setFrame(pf::Rect(0, 0, 200, 100)); }, {0, 0, 1, 1}},
        {"taller frame", [&] { view->setFrame(pf::Rect(10, 10, 50, 100)); }, {0.375, 0, 0.25, 1}},
        {"new source shows the placeholder", [&] { view->setSrc("http://127.0.0.1/c.png"); }, {0, 0, 1, 1}},
        {"other mode", [&] { view->setImageMode("top"); }, {0, 0, 1, 1}},
        {"square frame", [&] { view->setFrame(pf::Rect(0, 0, 100, 100)); }, {0, 0, 1, 0.5}},
        {"no mode", [&] { view->setImageMode(std::nullopt); }, {0, 0, 1, 1}},
    };
    for (const Row& row : rows) {
        row.apply();
        EXPECT_EQ(view->contentsRect(), row.expected) << row.change;
    }
}

TEST(KRImageViewPlaceholder, ShowsThePlaceholderOnlyWithoutAPicture)
{
    auto view = std::make_shared<KRImageView>(pf::Rect(0, 0, 10, 10));
    auto placeholder = picture(2, 2), real = picture(4, 4), other = picture(3, 3);
    view->setDefaultImage(placeholder);
    EXPECT_EQ(view->image(), placeholder); // set on an empty view: shown
    view->setSrc("http://127.0.0.1/a.png");
    view->setImage(nullptr, true);
    EXPECT_FALSE(view->isLoaded()); // a local miss leaves the download to come
    view->setImage(real, false);
    EXPECT_TRUE(view->isLoaded());
    view->setSrc("http://127.0.0.1/a.png");
    EXPECT_TRUE(view->isLoaded()); // the same source keeps its picture
    EXPECT_EQ(view->image(), real);
    view->setDefaultImage(other);
    EXPECT_EQ(view->image(), real); // a real picture stays
    view->setSrc("http://127.0.0.1/b.png");
    EXPECT_FALSE(view->isLoaded());
    EXPECT_EQ(view->image(), other);
    view->setDefaultImage(placeholder);
    EXPECT_EQ(view->image(), placeholder); // the shown placeholder is replaced
    view->setImage(nullptr, false);
    EXPECT_TRUE(view->isLoaded()); // a failed download settles it
    EXPECT_EQ(view->image(), placeholder);
}

}
