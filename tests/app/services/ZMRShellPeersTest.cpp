// The shell and the outside apps, end to end: the Voxly sign-in and binding
// through the web authorisation dialog against the Voxly web stand-in and
// the application server, and posts to the real Natter stand-in process.

#include "RoadTestSupport.h"

#include "app/services/ZMRShell.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRAlertView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/WebView.h"
#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/URLInbox.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/host/HeadlessHost.h"
#include "platform/net/TrustAnchors.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "sdk/natter/NTApi.h"
#include "sdk/voxly/VXAuthorizeWebView.h"
#include "sdk/voxly/VoxlySDK.h"
#include "tests/sdk/PeerAppSupport.h"
#include "tools/voxlyweb/VoxlyWebServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>


namespace {

std::shared_ptr<VXAuthorizeWebView> findDialog(const pf::ViewRef& view)
{
    if (auto dialog = std::dynamic_pointer_cast<VXAuthorizeWebView>(view))
        return dialog;
    for (const auto& child : view->subviews())
        if (auto dialog = findDialog(child))
            return dialog;
    return nullptr;
}

int runNatterApp(std::vector<std::string> arguments)
{
    return sdk::test::runPeerApp(NATTERAPP_PATH, std::move(arguments));
}

// A launched shell with the shipped bundle, screens and start pages over the
// real application server, its own device folder, and the Voxly web
// stand-in trusted through its CA.
class ShellPeers : public RoadBus {
protected:
    void SetUp() override
    {
        RoadBus::SetUp();
        setenv("ZMR_DEVICE_DIR", (home.path() + "/device").c_str(), 1);
        ASSERT_TRUE(web.isRunning());
        m_ca = home.path() + "/voxly-ca.pem";
        ASSERT_TRUE(web.writeCA(m_ca));
        pf::setExtraCAFile(m_ca);
        pf::useHtmlDocumentsInWebViews();
        const char* source = std::getenv("ZMR_SOURCE_DIR");
        std::string resources = std::string(source ? source : ".") + "/resources";
        ASSERT_NO_FATAL_FAILURE(launchShippedShell(resources, std::make_shared<pf::Bundle>(resources)));
        host.advance(0);
        shell->useVoxlyServer(web.origin());
    }
    void TearDown() override
    {
        closeLaunchedShell();
        VoxlySDK::resetForTesting();
        VoxlySDK::setSettings({});
        NTApi::resetForTesting();
        pf::setExtraCAFile(std::nullopt);
        unsetenv("ZMR_DEVICE_DIR");
        RoadBus::TearDown();
    }
    // Starts the Voxly sign-in and answers the page with the link `link`
    // ("授权" or "拒绝"), or closes the dialog for "close".
    void authoriseThroughTheWebDialog(const std::string& link)
    {
        shell->voxlyLogin();
        std::shared_ptr<VXAuthorizeWebView> dialog;
        for (const auto& window : pf::Screen::main().windows())
            if (!dialog)
                dialog = findDialog(window);
        ASSERT_TRUE(dialog) << "no web authorisation dialog";
        for (int i = 0; i < 3; ++i) {
            host.advance(0.21);
            pf::RunLoop::main().runUntilIdle();
        }
        ASSERT_TRUE(runMainUntil([&] { return !dialog->webView()->url().empty() && !dialog->webView()->isLoading(); }));
        if (link == "close")
            dialog->closeButtonPressed();
        else
            ASSERT_TRUE(dialog->webView()->followLinkWithText(link));
        ASSERT_TRUE(runMainUntil([&] { return !dialog->superview(); }));
    }

    pf::HeadlessHost host;
    zmr::VoxlyWebServer web;

private:
    std::string m_ca;
};

TEST_F(ShellPeers, VoxlySignInShowsTheToastUntilTheServerSignsIn)
{
    ASSERT_TRUE(shell->uid().isNil());
    // The toast must still be up when the server's sign-in is stored; looking
    // at that moment holds however quickly the loopback server answers.
    bool toastAtSignIn = false;
    auto observer = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver(
        "ZMRUserInfoChangedNotification", observer, [&](const pf::Notification&) {
            toastAtSignIn = shell->loadingView() && shell->loadingView()->alertWindow();
        });
    authoriseThroughTheWebDialog("授权");
    ASSERT_TRUE(runMainUntil([&] { return shell->uid().isNumber() && !shell->loadingView(); }));
    EXPECT_TRUE(toastAtSignIn);
    ASSERT_EQ(web.grantedTokens().size(), 1u);
    EXPECT_EQ(shell->voxlyToken(), web.grantedTokens()[0]);
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
}

TEST_F(ShellPeers, VoxlyTokenWhileSignedInBindsAndPostsTheBindChange)
{
    long long uid = signUp("binder");
    int changes = 0;
    auto observer = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver("ZMRBindChangedNotification", observer,
                                                       [&changes](const pf::Notification&) { ++changes; });
    authoriseThroughTheWebDialog("授权");
    ASSERT_TRUE(runMainUntil([&] { return changes == 1; }));
    EXPECT_FALSE(shell->loadingView());
    EXPECT_EQ(shell->uid().longLongValue(), uid);
    // The server holds the token: a fresh sign-in check answers it.
    ASSERT_EQ(web.grantedTokens().size(), 1u);
    EXPECT_TRUE(runMainUntil([&] { return shell->voxlyToken() == web.grantedTokens()[0]; }));
}

TEST_F(ShellPeers, DeniedOrClosedAuthorisationSignsNobodyInAndShowsNoToast)
{
    for (const char* link : {"拒绝", "close"}) {
        authoriseThroughTheWebDialog(link);
        // The answer's URL is delivered, and ignored.
        pf::RunLoop::main().runUntilIdle();
        host.advance(0.2);
        pf::RunLoop::main().runUntilIdle();
        EXPECT_FALSE(shell->loadingView()) << link;
        EXPECT_TRUE(shell->uid().isNil()) << link;
        EXPECT_TRUE(pf::AlertView::visibleAlerts().empty()) << link;
    }
}

// The launch registers the application with both peers, each with the
// shipped icon: Voxly the 2x one, Natter the one of the screen's scale.
TEST_F(ShellPeers, RegistrationsCarryTheShippedIcons)
{
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    std::string resources = std::string(source ? source : ".") + "/resources";
    auto info = pf::readPropertyListFile(resources + "/Info.plist");
    ASSERT_TRUE(info && info->dictionary());
    auto files = info->dictionary()->array("CFBundleIconFiles");
    ASSERT_TRUE(files && files->count() == 2);
    const char* names[] = {"Icon.png", "Icon@2x.png"}; // both 57 points square
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(files->at(i).stringOr(), names[i]);
        auto icon = pf::Image::contentsOfFile(resources + "/" + names[i]);
        ASSERT_TRUE(icon) << names[i];
        EXPECT_EQ((*icon)->size().width, 57) << names[i];
        EXPECT_EQ((*icon)->size().height, 57) << names[i];
        EXPECT_EQ((*icon)->scale(), i + 1.0) << names[i];
    }
    auto twice = pf::readFile(resources + "/Icon@2x.png");
    auto once = pf::readFile(resources + "/Icon.png");
    ASSERT_TRUE(twice && once);

    auto voxly = pf::Pasteboard::withName(VoxlySDK::registedAppsPasteboardName(), false);
    ASSERT_TRUE(voxly);
    auto voxlyEntry = voxly->dataForPasteboardType(info->dictionary()->dictionary("Voxly")->string("appkey").value_or(""));
    ASSERT_TRUE(voxlyEntry);
    auto app = pf::KeyedUnarchiver::unarchiveObjectWithData(*voxlyEntry, {"Dictionary", "String", "Data"});
    ASSERT_TRUE(app && app->dictionary());
    EXPECT_EQ(*app->dictionary()->get("iconData").data(), *twice);

    auto natter = pf::Pasteboard::withName("natter_register", false);
    ASSERT_TRUE(natter);
    auto content = natter->dataForPasteboardType("content");
    ASSERT_TRUE(content);
    auto all = pf::parseBinaryPropertyList({reinterpret_cast<const char*>(content->data()), content->size()});
    ASSERT_TRUE(all && (*all).dictionary());
    auto ours = (*all).dictionary()->dictionary(info->dictionary()->dictionary("Natter")->string("appid").value_or(""));
    ASSERT_TRUE(ours);
    EXPECT_EQ(*ours->get("appIcon").data(), pf::DeviceProfile::current().scale == 2.0 ? *twice : *once);
}

// A Voxly app of version 1.0 cannot take the request: the sign-in goes
// through the web dialog as without any Voxly app, and the app is never woken.
TEST_F(ShellPeers, AVoxlyAppOfVersionOneSignsInThroughTheWebDialog)
{
    pf::InstalledApp voxly{"example.voxly.app", {"mainvoxly"}, {"/bin/true"}};
    ASSERT_FALSE(pf::AppRegistry::registerApp(voxly));
    std::vector<std::string> woken;
    auto inbox = pf::URLInbox::open(voxly, [&woken](const pf::IncomingURL& in) { woken.push_back(in.url.absoluteString()); });
    ASSERT_TRUE(inbox);
    ASSERT_EQ(VoxlySDK::getVoxlyAppSupportMaxSDKVersion(), "1.0");
    authoriseThroughTheWebDialog("授权");
    ASSERT_TRUE(runMainUntil([&] { return shell->uid().isNumber() && !shell->loadingView(); }));
    ASSERT_EQ(web.grantedTokens().size(), 1u);
    EXPECT_EQ(shell->voxlyToken(), web.grantedTokens()[0]);
    pf::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(woken.empty()) << woken[0];
}

TEST_F(ShellPeers, NatterAlertsAndPostsReachTheRealNatterApp)
{
    std::string inbox = home.path() + "/natter-inbox";
    std::filesystem::create_directories(inbox);
    struct Row {
        const char* install; // "" none, "no-api", "ok"
        bool alert;
        bool can;
        const char* message; // the alert, "" for none
    } rows[] = {
        {"", false, false, ""},
        {"", true, false, "你还没有安装纳特"},
        {"no-api", true, false, "你的纳特不支持此操作，请更新纳特"},
        {"ok", true, true, ""},
    };
    for (const auto& row : rows) {
        std::string install = row.install;
        if (!install.empty()) {
            std::vector<std::string> arguments{"--install", "--script", "ok", "--inbox", inbox};
            if (install == "no-api")
                arguments.push_back("--no-api");
            ASSERT_EQ(runNatterApp(arguments), 0) << install;
        }
        EXPECT_EQ(shell->canSendNatterWithAlert(row.alert), row.can) << install;
        auto alerts = pf::AlertView::visibleAlerts();
        ASSERT_EQ(alerts.size(), *row.message ? 1u : 0u) << install;
        if (*row.message)
            EXPECT_EQ(alerts[0]->message(), row.message);
        for (auto& alert : alerts)
            alert->dismissWithClickedButtonIndex(-1, false);
    }

    // Text with a missing title, then a 320 x 480 picture.
    ASSERT_TRUE(shell->sendNatterWithTitle(std::nullopt, std::string("省了 30 元"), nullptr, 0));
    auto text = [&](const std::string& name) -> std::string {
        auto bytes = pf::readFile(inbox + "/" + name);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    };
    ASSERT_TRUE(runMainUntil([&] { return std::filesystem::exists(inbox + "/001.txt"); }));
    EXPECT_EQ(text("001.txt"), "\n省了 30 元");

    auto bitmap = pf::Bitmap::create(320, 480).value();
    auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
    context->fillRect({0, 0, 320, 480}, pf::Color::rgb(0.9, 0.3, 0.1));
    ASSERT_TRUE(shell->sendNatterWithTitle(std::string("Zomaru"), std::string("body"), pf::Image::create(bitmap), 1));
    ASSERT_TRUE(runMainUntil([&] { return std::filesystem::exists(inbox + "/002.txt"); }));
    EXPECT_EQ(text("002.txt"), "Zomaru\nbody");
    auto picture = pf::Image::contentsOfFile(inbox + "/002.jpg");
    auto thumbnail = pf::Image::contentsOfFile(inbox + "/002-thumb.jpg");
    ASSERT_TRUE(picture && thumbnail);
    EXPECT_EQ((*picture)->size().width, 320);
    EXPECT_EQ((*thumbnail)->size().width, 160);
    EXPECT_EQ((*thumbnail)->size().height, 240);

    // Noise makes a 160-wide thumbnail's JPEG pass 32 KiB: it is halved until it fits.
    auto noise = pf::Bitmap::create(160, 900).value();
    auto painter = std::move(pf::GraphicsContext::create(*noise).value());
    unsigned seed = 7;
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 160; ++x) {
            seed = seed * 1103515245 + 12345;
            painter->fillRect({double(x), double(y), 1, 1},
                              pf::Color::rgb((seed >> 8 & 255) / 255.0, (seed >> 16 & 255) / 255.0, (seed >> 24) / 255.0));
        }
    ASSERT_TRUE(shell->sendNatterWithTitle(std::string("t"), std::string("b"), pf::Image::create(noise), 0));
    ASSERT_TRUE(runMainUntil([&] { return std::filesystem::exists(inbox + "/003.txt"); }));
    EXPECT_LE(std::filesystem::file_size(inbox + "/003-thumb.jpg"), 32768u);
    auto small = pf::Image::contentsOfFile(inbox + "/003-thumb.jpg");
    ASSERT_TRUE(small);
    EXPECT_LT((*small)->size().width, 160) << std::filesystem::file_size(inbox + "/003-thumb.jpg");
}

}
