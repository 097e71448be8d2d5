#pragma once

// The application shell: the framework shell (configuration, task bus,
// screens) plus the application's context, and the application's delegate.
// User state is in the standard user defaults; the position, the databases
// and the follow-list flag live in the instance. Lives as long as the
// process. Main queue only, apart from the uncaught-exception handler, which
// runs on the thread that met the exception.
//
// Launch: the main interface file "MainWindow" fills `window`; the handler
// for uncaught exceptions is installed; push registration starts; the
// bundle's "style.css" and "Styles" interface file dress markup and views;
// the category task goes out; position tracking starts; the start page is
// chosen from the stored user ("url-anonymous" without a user id, "url-nick"
// without a nickname, else "url-auth" after the sign-in check, follow-list
// and points tasks); the root controller fills the window.

#include "app/services/ZMRContext.h"
#include "framework/core/IKRTask.h"
#include "framework/core/KRShell.h"
#include "platform/ui/ApplicationDelegate.h"
#include "sdk/natter/NTApi.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/voxly/VoxlySDK.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class KRAlertView;
class ZMRTokenTask;

class ZMRShell : public KRShell,
                 public ZMRContext,
                 public pf::ApplicationDelegate,
                 public VoxlySDKDelegate,
                 public NTApiDelegate,
                 public CorvanaSessionDelegate,
                 public IKRUplinkTaskDelegate {
public:
    static std::shared_ptr<ZMRShell> create(pf::DictionaryRef config, std::shared_ptr<pf::Bundle> bundle);
    // From the main bundle's "cfg.plist"; with `server` (the API address of
    // another application server) the API, upload ("/upload") and crash
    // ("/crash") services point at that server. Null, with a log line, when
    // the file is missing or not a dictionary.
    static std::shared_ptr<ZMRShell> create(const std::optional<std::string>& server = std::nullopt);
    ~ZMRShell() override;

    // pf::ApplicationDelegate
    bool applicationDidFinishLaunchingWithOptions(pf::Application& application, const pf::Value& options) override;
    // Closes every pop window, then refreshes the user (when signed in) and
    // the categories.
    void applicationWillEnterForeground(pf::Application& application) override;
    // Both shed caches as a memory warning does.
    void applicationDidEnterBackground(pf::Application& application) override;
    void applicationDidReceiveMemoryWarning(pf::Application& application) override;
    // Stores the token as lower-case hexadecimal and sends the sign-in check.
    void applicationDidRegisterForRemoteNotificationsWithDeviceToken(pf::Application& application,
                                                                     const std::vector<std::uint8_t>& token) override;
    void applicationDidFailToRegisterForRemoteNotificationsWithError(pf::Application& application,
                                                                     const pf::Error& error) override;
    // A "coin" message (at "data.type") shows its text ("aps.alert", or its
    // "body" when that is a dictionary) for 1.8 s when there is one, and
    // always refreshes the points. Other messages, and payloads that are not
    // dictionaries, change nothing (logged).
    void applicationDidReceiveRemoteNotification(pf::Application& application, const pf::Value& payload) override;
    bool applicationHandleOpenURL(pf::Application& application, const pf::URL& url) override;
    bool applicationOpenURL(pf::Application& application, const pf::URL& url, const std::string& sourceApplication,
                            const pf::Value& annotation) override;
    std::optional<std::string> applicationOpenRootURL(pf::Application& application, const pf::URL& url) override;
    // Back (Escape on the desktop) through the root screen: KRGoBack.
    bool applicationGoBack(pf::Application& application) override;
    // Ready once no request is on its way (the network indicator is off).
    bool applicationIsReady(pf::Application& application) override;

    // Routes URLs that other programs hand back, by scheme prefix.
    bool handleOpenURL(const pf::URL& url);
    // "aabbcc…" for the bytes {0xaa, 0xbb, 0xcc, …}.
    static std::string deviceTokenText(const std::vector<std::uint8_t>& token);

    // The application window, an outlet of the "MainWindow" interface file.
    const pf::WindowRef& window() const { return m_window; }
    void setWindow(pf::WindowRef window) { m_window = std::move(window); }

    void toRootViewController(bool animated) override;
    std::shared_ptr<pf::ViewController> topPresentViewController() override;
    void logout(bool animated) override;
    // Asks the ZZ session to sign in ("add_topic", "get_idollist",
    // "add_share"); the outcome arrives through the callbacks below.
    void zzLogin() override;
    // The ZZ session made at launch from Info.plist "ZZ.appid".
    const std::shared_ptr<CorvanaOAuth>& corvanaOAuth() const { return m_corvanaOAuth; }
    // CorvanaSessionDelegate: a ZZ token signs in (or binds, when signed in)
    // through the server, once the application is in front; a failed or
    // cancelled login changes nothing; no network shows an alert.
    void corvanaDidLogin() override;
    void corvanaDidLoginDelay();
    void corvanaDidNotLogin(bool) override {}
    void corvanaDidNotNetWork() override;
    // Sends a Voxly authorisation for the redirect page (Info.plist
    // "Voxly.redirectUrl", or the page on the origin of useVoxlyServer()).
    void voxlyLogin() override;
    bool canSendNatterWithAlert(bool alert) override;
    bool sendNatterWithTitle(const std::optional<std::string>& title, const std::optional<std::string>& body,
                             const pf::ImageRef& image, int scene) override;
    // Points the Voxly SDK's servers at `origin` and the redirect page at the
    // same path on it.
    void useVoxlyServer(const std::string& origin);

    // VoxlySDKDelegate: an authorisation answer with a token signs in (or
    // binds, when signed in) through the server; anything else is ignored.
    void didReceiveVoxlyRequest(const std::shared_ptr<VXBaseRequest>&) override {}
    void didReceiveVoxlyResponse(const std::shared_ptr<VXBaseResponse>& response) override;
    // IKRUplinkTaskDelegate: the outcome of the Voxly and ZZ token tasks; other
    // task types are ignored.
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;
    // The "验证中..." toast while a token is with the server or waiting to
    // go; null otherwise. Tokens go to the server one at a time, in the order
    // obtained, so that each answer carries the bindings of all before it.
    // The account chosen last is the one signed in: a new ZZ or Voxly
    // sign-in, a password sign-in or a sign-up (withdrawTokenSignIn)
    // withdraws the token sign-in not yet answered. Bindings are no such
    // choice: each goes and is answered, the toast closing with the last. A
    // sign-out withdraws them all.
    const std::shared_ptr<KRAlertView>& loadingView() const { return m_loadingView; }
    // The token tasks handed over and not yet sent: they wait for the
    // answer of the one with the server.
    std::size_t tokensHeldBack() const;
    void withdrawTokenSignIn() override;
    void setAuth(const pf::Value& uid, const std::optional<std::string>& token) override;

    void startLocation() override;
    bool isNeedsUpdateLocation() const override;
    double distance(double latitude, double longitude) const override;
    std::optional<pf::Location> location() const override { return m_location; }
    // Where position fixes arrive: stores the fix, posts "ZMRLocationChangedNotification".
    void didUpdateUserLocation(const pf::Location& location);

    pf::Value uid() const override;
    std::optional<std::string> token() const override;
    void setToken(const std::optional<std::string>& token) override;
    std::optional<std::string> deviceToken() const override;
    void setDeviceToken(const std::optional<std::string>& deviceToken) override;
    double timestamp() const override;
    // Stores the pair at once; writes the defaults only when the written
    // pair would keep a clock a second or more away (server times are whole
    // seconds), so the answers of a session cost one disk write, not one each.
    void setTimestamp(double timestamp) override;
    std::optional<std::string> account() const override;
    void setAccount(const std::optional<std::string>& account) override;
    std::optional<std::string> nick() const override;
    void setNick(const std::optional<std::string>& nick) override;
    long long integral() const override;
    void setIntegral(long long integral) override;
    pf::Value userInfo() const override;
    void setUserInfo(const pf::Value& userInfo) override;
    std::optional<std::string> voxlyToken() const override;
    void setVoxlyToken(const std::optional<std::string>& token) override;
    std::optional<std::string> zzToken() const override;
    void setZzToken(const std::optional<std::string>& token) override;
    long long concernVersion() const override;
    void setConcernVersion(long long version) override;
    bool hasConcernChanged() const override { return m_hasConcernChanged; }
    void setHasConcernChanged(bool changed) override { m_hasConcernChanged = changed; }

    KRDBContextRef appDBContext() override;
    KRDBContextRef userDBContext() override;

protected:
    ZMRShell() = default;

private:
    KRDBContextRef openDBContext(const std::string& fileName, const char* classesKey);
    void openConfigUrl(const char* key, bool animated);
    void sendTask(const pf::Protocol* taskType, pf::ObjectRef task);
    void sendUserTasks();
    void installUncaughtExceptionHandler();
    void loadMainWindow();
    void loadStyles();
    void openStartPage();
    void registerPeers();
    // Shows "验证中..." and queues the token task (a sign-in first withdraws
    // the sign-in not yet answered).
    void handOverToken(const std::shared_ptr<ZMRTokenTask>& task, const pf::Protocol* taskType);
    // Withdraws the token tasks not yet answered (the sign-ins only, with
    // `signInsOnly`); the toast closes once none is left.
    void withdrawTokens(bool signInsOnly);
    // Sends the first queued token task unless it is with the server already.
    void sendNextToken();
    // Takes `task` off the queue and sends the next; false when it was not queued.
    bool takeTokenTask(const pf::ObjectRef& task);
    void closeLoadingView();

    std::optional<pf::Location> m_location;
    // The server time and local clock last written by setTimestamp in this run.
    std::optional<std::pair<double, double>> m_writtenClock;
    KRDBContextRef m_appDBContext;
    KRDBContextRef m_userDBContext;
    bool m_hasConcernChanged = false;
    pf::WindowRef m_window;
    std::shared_ptr<KRAlertView> m_loadingView;
    // The token tasks of the toast, in the order obtained: the first is with
    // the server once sent; each leaves when answered or withdrawn.
    struct TokenTask {
        std::shared_ptr<ZMRTokenTask> task;
        const pf::Protocol* type;
        bool sent;
    };
    std::vector<TokenTask> m_tokenTasks;
    unsigned m_loadingGeneration = 0; // a delayed show runs only for the toast it was made for
    std::optional<std::string> m_voxlyRedirectURL;
    std::shared_ptr<CorvanaOAuth> m_corvanaOAuth;
};
