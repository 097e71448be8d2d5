#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMImageCache.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Screen.h"

#include <unistd.h>

namespace domtest {

KRDOMElementRef laidOutTree(std::string_view markup, pf::Size size)
{
    KRDOMElementRef root = parseTyped(markup);
    EXPECT_TRUE(root) << markup;
    if (root)
        root->layout(size);
    return root;
}

pf::BitmapRef renderTree(KRDOMElement& root, pf::Size size)
{
    auto bitmap = pf::Bitmap::create(int(size.width * 2), int(size.height * 2), 2);
    EXPECT_TRUE(bitmap);
    if (!bitmap)
        return nullptr;
    bitmap.value()->fill(pf::Color::whiteColor());
    auto context = pf::GraphicsContext::create(*bitmap.value());
    EXPECT_TRUE(context);
    if (!context)
        return nullptr;
    root.render({0, 0, root.frame().width(), root.frame().height()}, *context.value());
    EXPECT_FALSE(context.value()->status());
    return bitmap.value();
}

pf::BitmapRef picture(int w, int h, const std::function<pf::Color(int, int)>& colour)
{
    std::vector<std::uint8_t> rgba(std::size_t(w * h * 4));
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            pf::Rgba8 c = pf::toRgba8(colour(x, y));
            std::uint8_t* p = &rgba[std::size_t(y * w + x) * 4];
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    }
    return pf::Bitmap::fromRgba(w, h, rgba.data(), std::size_t(w * 4)).value();
}

pf::ImageRef solidImage(int w, int h, pf::Color colour)
{
    return pf::Image::create(picture(w, h, [=](int, int) { return colour; }));
}

PictureFolder::PictureFolder(const std::string& tag)
    : path(std::filesystem::temp_directory_path() / ("dom-" + tag + "-" + std::to_string(getpid())))
{
    std::filesystem::create_directories(path);
    KRDOMImageCache::removeAll();
}

PictureFolder::~PictureFolder()
{
    KRDOMImageCache::removeAll();
    std::filesystem::remove_all(path);
}

void PictureFolder::write(const std::string& name, const pf::BitmapRef& bitmap) const
{
    EXPECT_FALSE(bitmap->writePng((path / name).string())) << name;
}

void ActionRecorder::krDOMViewDoActionElement(KRDOMView&, KRDOMElement& element)
{
    actions.push_back(std::string(element.eid().value_or("?")));
}

void DocumentViewTest::SetUp()
{
    pf::Screen::main().removeAllWindows();
    host = std::make_unique<pf::HeadlessHost>();
    window = pf::Window::create();
    window->setBackgroundColor(pf::Color::whiteColor());
    window->makeKeyAndVisible();
    view = KRDOMView::create({0, 0, 320, 200});
    view->setAllowAutoLayout(true);
    recorder = std::make_shared<ActionRecorder>();
    view->setDelegate(recorder);
    window->addSubview(view);
}

void DocumentViewTest::TearDown()
{
    view.reset();
    window.reset();
    pf::Screen::main().removeAllWindows();
    pf::RunLoop::main().runUntilIdle();
    host.reset();
}

KRDOMElementRef DocumentViewTest::show(std::string_view markup)
{
    KRDOMElementRef root = parseTyped(markup);
    EXPECT_TRUE(root) << markup;
    view->setElement(root);
    return root;
}

pf::BitmapRef DocumentViewTest::render()
{
    auto frame = host->render();
    EXPECT_TRUE(frame);
    return frame ? frame.value() : nullptr;
}

}
