#include "AppScreenTest.h"

#include "tests/app/services/StandInProviders.h"
#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/ZMRScreensRegistration.h"
#include "app/screens/shared/ZMRKeyboardView.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/dom/KRDOMView.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/controls/Button.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/host/ApplicationMain.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace {

constexpr double kFrame = 1.0 / 60;

pf::ViewRef frontmost(const pf::ViewRef& view, const std::function<bool(const pf::View&)>& match)
{
    if (!view || view->isHidden())
        return nullptr;
    const auto& children = view->subviews();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (auto found = frontmost(*child, match))
            return found;
    }
    return match(*view) ? view : nullptr;
}

// The last shown element in drawing order whose own text contains `text`.
const KRDOMElement* elementWithText(const KRDOMElement& element, std::string_view text)
{
    if (element.isHidden())
        return nullptr;
    const auto& children = element.childs();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (auto found = elementWithText(**child, text))
            return found;
    }
    return element.text().find(text) != std::string::npos ? &element : nullptr;
}

}

void AppScreenTest::SetUp()
{
    registerScreensClasses();
    registerDOMClasses();
    pf::useHtmlDocumentsInWebViews();

    std::string pattern = (std::filesystem::temp_directory_path() / "zmr-app-screens-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    // The data folder one level down: the device folder (installed apps,
    // pasteboards) sits beside it, a test's own instead of one every test
    // program on the machine shares.
    m_home = pattern;
    ASSERT_TRUE(std::filesystem::create_directory(m_home + "/home"));
    pf::setHomeDirectory(m_home + "/home");
    pf::UserDefaults::resetStandard();
    KRDownlinkService::resetSharedCache();
    m_savedProfile = pf::DeviceProfile::current();
    pf::DeviceProfile::setCurrent(pf::DeviceProfile{}); // 320 x 568 points at scale 2
    pf::Screen::main().updateFromDeviceProfile();
    pf::Screen::main().removeAllWindows();

    std::unique_ptr<zmr::AppStore> made;
    auto error = zmr::AppStore::open(":memory:", made);
    ASSERT_FALSE(error) << *error;
    store = std::move(made);
    ASSERT_TRUE(store->seedDemo());
    ASSERT_TRUE(standInProviders().isRunning());
    server = std::make_unique<zmr::AppServer>(store, standInProviders().settings());
    ASSERT_TRUE(server->start(0));

    const char* source = std::getenv("ZMR_SOURCE_DIR");
    std::string resources = std::string(source ? source : ".") + "/resources";
    if (m_resources == Resources::Built) {
        const char* built = std::getenv("ZMR_BUILT_RESOURCES");
        ASSERT_TRUE(built) << "ZMR_BUILT_RESOURCES names no copy of the build's resources";
        resources = built;
    }
    m_savedBundle = pf::Bundle::main();
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(resources));
    host = std::make_unique<pf::HeadlessHost>();
    std::string api = server->url();
    if (m_route == Route::Gateway) {
        gateway = std::make_unique<zmr::FaultServer>();
        ASSERT_TRUE(gateway->isRunning());
        gateway->setAnswerer([answerer = server.get(), pictures = origin()](const std::string& body) {
            return answerer->answer(body, pictures);
        });
        api = gateway->url("/api");
    }
    shell = ZMRShell::create(api);
    ASSERT_TRUE(shell) << "no usable cfg.plist in resources/";
    if (m_start == Start::SignedIn) {
        auto demo = store->checkPassword("demo", "demo-password");
        ASSERT_TRUE(demo);
        shell->setAuth(pf::Value(demo->uid), store->issueToken(demo->uid));
        shell->setAccount(demo->account);
        shell->setNick(demo->nick);
    }
    beforeLaunch();
    if (HasFatalFailure())
        return;
    auto& application = pf::Application::shared();
    application.setDelegate(shell);
    ASSERT_TRUE(application.launch());
    ASSERT_TRUE(settle(60)) << "the application's start-up did not settle";
}

void AppScreenTest::TearDown()
{
    if (HasFailure() && host) {
        if (auto shot = host->render())
            pf::test::writeFailurePng(**shot);
    }
    pf::Application::shared().setDelegate({});
    pf::Screen::main().removeAllWindows();
    shell.reset();
    gateway.reset(); // it passes requests to the server
    if (server)
        server->stop();
    host.reset();
    KRDownlinkService::resetSharedCache();
    pf::UserDefaults::resetStandard();
    if (m_savedBundle)
        pf::Bundle::setMain(m_savedBundle);
    pf::DeviceProfile::setCurrent(m_savedProfile);
    pf::Screen::main().updateFromDeviceProfile();
    std::error_code ignored;
    if (!m_home.empty())
        std::filesystem::remove_all(m_home, ignored);
    if (!m_album.empty()) {
        if (m_savedAlbum)
            setenv("ZMR_PICTURES", m_savedAlbum->c_str(), 1);
        else
            unsetenv("ZMR_PICTURES");
        std::filesystem::remove_all(m_album, ignored);
        m_album.clear();
    }
}

bool AppScreenTest::useAlbum(const pf::Color& colour, const std::string& name)
{
    if (m_album.empty()) {
        const char* saved = std::getenv("ZMR_PICTURES");
        m_savedAlbum = saved ? std::optional<std::string>(saved) : std::nullopt;
        m_album = (std::filesystem::temp_directory_path() / ("zmr-album-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(m_album);
        setenv("ZMR_PICTURES", m_album.c_str(), 1);
    }
    auto picture = pf::Bitmap::create(60, 40);
    if (!picture)
        return false;
    picture.value()->fill(colour);
    return !picture.value()->writePng(m_album + "/" + name);
}

void AppScreenTest::keys(const std::string& list)
{
    std::istringstream in(list);
    for (std::string key; in >> key;) {
        auto button = findView([&](const pf::View& view) {
            auto* k = dynamic_cast<const ZMRKeyButton*>(&view);
            return k && k->inputKey() == key;
        });
        ASSERT_TRUE(button) << key;
        tap(middleOf(button));
    }
}

bool AppScreenTest::open(const std::string& url)
{
    auto parsed = pf::URL::create(url);
    EXPECT_TRUE(parsed) << url << " is not a URL";
    if (!parsed)
        return false;
    shell->applicationOpenRootURL(pf::Application::shared(), *parsed);
    return settle();
}

void AppScreenTest::tap(pf::Point point)
{
    host->tap(point);
    EXPECT_TRUE(settle()) << "the screen did not settle after a tap at (" << point.x << ", " << point.y << ")";
}

void AppScreenTest::drag(pf::Point from, pf::Point to, double seconds)
{
    host->drag(from, to, seconds, std::max(2, static_cast<int>(seconds / kFrame)));
    EXPECT_TRUE(settle()) << "the screen did not settle after a drag from (" << from.x << ", " << from.y << ")";
}

void AppScreenTest::pinch(pf::Point centre, double fromDistance, double toDistance, double seconds)
{
    host->pinch(centre, fromDistance, toDistance, seconds, std::max(2, static_cast<int>(seconds / kFrame)));
    EXPECT_TRUE(settle()) << "the screen did not settle after a pinch at (" << centre.x << ", " << centre.y << ")";
}

void AppScreenTest::type(std::string_view text)
{
    host->type(text);
    EXPECT_TRUE(settle()) << "the screen did not settle after typing \"" << text << "\"";
}

void AppScreenTest::wheel(pf::Point at, pf::Point delta)
{
    host->wheel(at, delta);
    EXPECT_TRUE(settle()) << "the screen did not settle after a wheel at (" << at.x << ", " << at.y << ")";
}

void AppScreenTest::press(pf::KeyEvent::Kind key)
{
    host->pressKey(key);
    EXPECT_TRUE(settle()) << "the screen did not settle after a key";
}

bool AppScreenTest::tapText(std::string_view text)
{
    auto frame = textFrame(text);
    if (frame)
        tap({frame->midX(), frame->midY()});
    return frame.has_value();
}

bool AppScreenTest::tapButtonTitled(std::string_view title)
{
    auto button = findView([&](const pf::View& view) {
        auto* b = dynamic_cast<const pf::Button*>(&view);
        return b && b->title().value_or("") == title;
    });
    if (button)
        tap(middleOf(button));
    return button != nullptr;
}

pf::Point AppScreenTest::middleOf(const pf::ViewRef& view)
{
    pf::Rect frame = view->convertRectToView(view->bounds(), nullptr);
    return {frame.midX(), frame.midY()};
}

std::string AppScreenTest::topURL() const
{
    auto root = shell->rootViewController();
    auto controller = root ? root->topController() : nullptr;
    std::string text = controller && controller->url() ? controller->url()->absoluteString() : "(none)";
    return text.size() > 1 && text.back() == '/' ? text.substr(0, text.size() - 1) : text;
}

bool AppScreenTest::waitFor(const std::function<bool()>& condition, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        host->advance(kFrame);
        // Answers from the server's and the network's threads arrive on the main loop meanwhile.
        pf::RunLoop::main().runUntil([] { return false; }, pf::Seconds(0.002));
    }
    return true;
}

bool AppScreenTest::settle(double seconds)
{
    return pf::waitUntilSettled(*host, *shell, seconds);
}

pf::BitmapRef AppScreenTest::render()
{
    auto shot = host->render();
    EXPECT_TRUE(shot) << (shot ? "" : shot.error().description);
    return shot ? *shot : nullptr;
}

::testing::AssertionResult AppScreenTest::pixelIs(pf::Point point, const pf::Color& expected, int tolerance)
{
    auto shot = render();
    if (!shot)
        return ::testing::AssertionFailure() << "the screen could not be drawn";
    return pf::test::pixelIs(*shot, point, expected, tolerance);
}

bool AppScreenTest::writePng(const std::string& path)
{
    auto error = host->writePng(path);
    EXPECT_FALSE(error) << path << ": " << error->description;
    return !error;
}

pf::ViewRef AppScreenTest::viewWithText(std::string_view text) const
{
    return host->findViewWithText(text);
}

std::optional<pf::Rect> AppScreenTest::textFrame(std::string_view text) const
{
    if (auto view = viewWithText(text))
        return view->convertRectToView(view->bounds(), nullptr);
    // Markup draws its texts itself: look for the element, frontmost document first.
    std::optional<pf::Rect> found;
    findView([&](const pf::View& view) {
        auto document = dynamic_cast<const KRDOMView*>(&view);
        const KRDOMElement* element = document && document->element() ? elementWithText(*document->element(), text) : nullptr;
        if (!element)
            return false;
        pf::Rect frame = element->frame();
        for (auto parent = element->parentElement(); parent && parent != document->element(); parent = parent->parentElement())
            frame = frame.offsetBy(parent->frame().x(), parent->frame().y());
        if (element == document->element().get())
            frame = {0, 0, frame.width(), frame.height()};
        found = view.convertRectToView(frame, nullptr);
        return true;
    });
    return found;
}

pf::ViewRef AppScreenTest::findView(const std::function<bool(const pf::View&)>& match) const
{
    const auto& windows = pf::Screen::main().windows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (auto found = frontmost(*window, match))
            return found;
    }
    return nullptr;
}

std::string AppScreenTest::origin() const
{
    return "http://127.0.0.1:" + std::to_string(server->port());
}
