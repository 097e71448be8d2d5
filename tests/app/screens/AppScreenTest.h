#pragma once

// The application's screens under test, as a person would see them: the
// application's shell over the shipped resources/, the local application
// server with the demo world in this process on a free loopback port (asking
// the program's ZZ and Voxly stand-ins, StandInProviders.h), and a
// headless 320 x 568 screen at scale 2, launched and settled. The shell is
// signed in as the demo account (10001) unless the test asks for an
// anonymous start:
//
//   class MyScreen : public AppScreenTest {
//   protected:
//       MyScreen() : AppScreenTest(Start::Anonymous) {}
//   };
//
// Route::Gateway puts `gateway`, a zmr::FaultServer, between the
// application and the server: it passes every request on until a test
// breaks one server task's answers (setTarget, setFault, setReply).
//
// Resources::Built runs the shell over the build's copy of resources/
// instead (ZMR_BUILT_RESOURCES, set by ctest), whose ZZ SDK bundle holds
// the signed script package the ZZ sign-in runs.
//
// Helpers open URLs, tap, drag, pinch, type, turn the wheel and press keys (each then lets the screen settle, a
// test failure when it does not), wait for conditions, probe pixels and find
// views and texts. A failing test writes the screen to
// "failed-pngs/<suite>.<test>.png" in its working directory.
//
// Main thread only; one fixture at a time (the screen is shared).

#include "app/services/ZMRShell.h"
#include "framework/core/IKRUIViewController.h"
#include "platform/foundation/Device.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/View.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"
#include "tools/testserver/FaultServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>

class AppScreenTest : public ::testing::Test {
public:
    enum class Start { SignedIn, Anonymous };
    enum class Resources { Source, Built };
    enum class Route { Direct, Gateway };

protected:
    explicit AppScreenTest(Start start = Start::SignedIn, Resources resources = Resources::Source,
                           Route route = Route::Direct)
        : m_start(start), m_resources(resources), m_route(route) {}
    void SetUp() override;
    void TearDown() override;
    // Before SetUp, for a fixture that adds the gateway to another's start.
    void setRoute(Route route) { m_route = route; }
    // In SetUp, once the servers and the shell are made and before the
    // application launches: for settings and faults its start must meet.
    virtual void beforeLaunch() {}

    // Opens `url` in the root screen (not animated), then settles; false when
    // it did not settle.
    bool open(const std::string& url);
    // Input in screen points, each followed by settling.
    void tap(pf::Point point);
    void drag(pf::Point from, pf::Point to, double seconds = 0.3);
    // Two fingers about `centre`, their spread going from one distance to the other.
    void pinch(pf::Point centre, double fromDistance, double toDistance, double seconds = 0.3);
    void type(std::string_view text);
    // A wheel over `at` by `delta` points (a positive y moves the content up),
    // and a key of the desktop's keyboard (Escape is the phone's back).
    void wheel(pf::Point at, pf::Point delta);
    void press(pf::KeyEvent::Kind key);
    // Taps the middle of the frontmost text holding `text` (textFrame());
    // false when none does.
    bool tapText(std::string_view text);
    // Taps the middle of the frontmost button titled exactly `title`; false
    // when none is shown.
    bool tapButtonTitled(std::string_view title);
    // The middle of `view` on the screen, in points.
    static pf::Point middleOf(const pf::ViewRef& view);
    // The root screen's top controller as a T, or null.
    template <class T> std::shared_ptr<T> topController() const
    {
        auto root = shell->rootViewController();
        return std::dynamic_pointer_cast<T>(root ? root->topController() : nullptr);
    }
    // The address of the root screen's top controller, "(none)" without one.
    // Going back opens ".", which keeps a closing "/": it is left out.
    std::string topURL() const;

    // Runs frames (the animation clock and the main loop) until `condition`
    // holds; false when `seconds` of real time passed first.
    bool waitFor(const std::function<bool()>& condition, double seconds = 15);
    // Runs frames until nothing is pending: no ready work, no animation, no request on its way.
    bool settle(double seconds = 15);

    // The whole screen as drawn now.
    pf::BitmapRef render();
    // The pixel under a point of the screen is within `tolerance` of `expected`.
    ::testing::AssertionResult pixelIs(pf::Point point, const pf::Color& expected, int tolerance = 3);
    // Writes the screen to `path`; false (with a message) when it cannot.
    bool writePng(const std::string& path);

    // The frontmost view showing `text`, or null. Texts of markup documents
    // are no views: see textFrame().
    pf::ViewRef viewWithText(std::string_view text) const;
    // Where the frontmost view or markup element whose text contains `text`
    // is on the screen, in points; nothing when none is shown.
    std::optional<pf::Rect> textFrame(std::string_view text) const;
    // The frontmost view for which `match` holds, or null.
    pf::ViewRef findView(const std::function<bool(const pf::View&)>& match) const;
    // The `index`th view of class T, frontmost first, or null.
    template <class T> std::shared_ptr<T> viewOfClass(int index = 0) const
    {
        int seen = 0;
        return std::dynamic_pointer_cast<T>(findView([&](const pf::View& view) {
            return dynamic_cast<const T*>(&view) && seen++ == index;
        }));
    }

    // Points the picture album the pickers read (ZMR_PICTURES) at a new
    // temporary folder, until TearDown puts the previous setting back and
    // removes the folder, and writes a 60 x 40 picture `name` of `colour`
    // into it; each call adds one more (the album lists them by name). False
    // when the picture could not be written.
    bool useAlbum(const pf::Color& colour, const std::string& name = "a.png");
    // Taps the publish keypad's keys, blank-separated ("1 0 . 5 ok").
    void keys(const std::string& list);

    // "http://127.0.0.1:<port>", where the world's pictures are served.
    std::string origin() const;

    std::shared_ptr<zmr::AppStore> store;
    std::unique_ptr<zmr::AppServer> server;
    std::unique_ptr<zmr::FaultServer> gateway; // with Route::Gateway
    std::shared_ptr<ZMRShell> shell;
    std::unique_ptr<pf::HeadlessHost> host;

private:
    Start m_start;
    Resources m_resources;
    Route m_route;
    std::string m_home;
    std::string m_album;
    std::optional<std::string> m_savedAlbum;
    pf::DeviceProfile m_savedProfile;
    std::shared_ptr<pf::Bundle> m_savedBundle;
};
