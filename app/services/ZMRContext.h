#pragma once

// What every application service, data source and screen reaches through
// the shell: the signed-in user's state, the position, the two application
// databases and the navigation roots. ZMRShell implements it; services reach
// it by casting their context.
//
// User state lives in the standard user defaults; every setter writes
// through and synchronises at once, and reading an absent key answers nil
// (0 for the two integers). Main queue only.

#include "framework/core/Forward.h"
#include "framework/db/Forward.h"
#include "platform/foundation/Location.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Forward.h"
#include "platform/ui/Forward.h"

#include <memory>
#include <optional>
#include <string>

class ZMRContext {
public:
    virtual ~ZMRContext() = default;

    // Opens "url-auth" in the root view controller.
    virtual void toRootViewController(bool animated) = 0;
    // The root view controller followed along its modally presented
    // controllers to the topmost one; null before there is a root.
    virtual std::shared_ptr<pf::ViewController> topPresentViewController() = 0;
    // Opens "url-anonymous" in the root view controller, then signs out.
    virtual void logout(bool animated) = 0;
    // Start signing in through the ZZ or the Voxly app; the answer comes
    // back as a URL to the application, which signs in from there.
    virtual void zzLogin() = 0;
    virtual void voxlyLogin() = 0;
    // For a sign-in or sign-up the person starts: a ZZ or Voxly sign-in not
    // yet answered is withdrawn (and its "验证中..." closed), so the account
    // chosen last is the one signed in. Bindings go on.
    virtual void withdrawTokenSignIn() = 0;
    // Whether Natter is installed and takes our messages; when it cannot and
    // `alert` is set, an alert says why.
    virtual bool canSendNatterWithAlert(bool alert) = 0;
    // Sends a post to Natter: "<title>\n<body>" as text, or with an image a
    // picture message (JPEG of quality 0.8, a thumbnail at most 160 points
    // wide and 32 KiB). A missing title or body counts as "". Answers the
    // SDK's verdict.
    virtual bool sendNatterWithTitle(const std::optional<std::string>& title, const std::optional<std::string>& body,
                                     const pf::ImageRef& image, int scene) = 0;
    // Stores the user id (a number or a text, as the server sent it; nil
    // signs out) and token, drops the per-user database, resets the follow
    // list version, sends the follow-list and points tasks for a new user and
    // posts "ZMRUserChangedNotification". Signing out first withdraws the
    // shell's tasks and tells the server with a ZMRLogoutTask. Another user
    // id also makes the shell forget its cached screens, so the next user's
    // are built afresh.
    virtual void setAuth(const pf::Value& uid, const std::optional<std::string>& token) = 0;

    // Restarts position tracking.
    virtual void startLocation() = 0;
    // True without a position or when the position is more than 60 s old.
    virtual bool isNeedsUpdateLocation() const = 0;
    // Metres from the own position along the great circle; -1 when location
    // services are off, -2 while there is no own position.
    virtual double distance(double latitude, double longitude) const = 0;
    virtual std::optional<pf::Location> location() const = 0;

    virtual pf::Value uid() const = 0;
    virtual std::optional<std::string> token() const = 0;
    virtual void setToken(const std::optional<std::string>& token) = 0;
    virtual std::optional<std::string> deviceToken() const = 0;
    virtual void setDeviceToken(const std::optional<std::string>& deviceToken) = 0;
    // The server's clock now: the last server time received, advanced by the
    // local time passed since; the local clock when none was received.
    virtual double timestamp() const = 0;
    virtual void setTimestamp(double timestamp) = 0;
    virtual std::optional<std::string> account() const = 0;
    virtual void setAccount(const std::optional<std::string>& account) = 0;
    virtual std::optional<std::string> nick() const = 0;
    virtual void setNick(const std::optional<std::string>& nick) = 0;
    virtual long long integral() const = 0;
    virtual void setIntegral(long long integral) = 0;
    // Posts "ZMRUserInfoChangedNotification" after storing.
    virtual pf::Value userInfo() const = 0;
    virtual void setUserInfo(const pf::Value& userInfo) = 0;
    virtual std::optional<std::string> voxlyToken() const = 0;
    virtual void setVoxlyToken(const std::optional<std::string>& token) = 0;
    virtual std::optional<std::string> zzToken() const = 0;
    virtual void setZzToken(const std::optional<std::string>& token) = 0;
    // Setting a version also clears hasConcernChanged.
    virtual long long concernVersion() const = 0;
    virtual void setConcernVersion(long long version) = 0;
    virtual bool hasConcernChanged() const = 0;
    virtual void setHasConcernChanged(bool changed) = 0;

    // "Documents/app.db", opened on first use and kept.
    virtual KRDBContextRef appDBContext() = 0;
    // "Documents/u_<uid>.db" of the signed-in user, opened on first use and
    // dropped when the user changes. Null while no user is signed in, when
    // the stored user id is neither an integer nor a text of letters, digits,
    // "_" and "-", or when the file cannot be opened: callers then skip their
    // database work.
    virtual KRDBContextRef userDBContext() = 0;
};

// The file name part of a user's database for a stored user id: its decimal
// digits for an integer, the text itself for a text of [A-Za-z0-9_-];
// nothing for anything else, so no id can name a file outside "Documents".
class ZMRContext;

std::optional<std::string> ZMRUserDBName(const pf::Value& uid);

// A service's context seen as the user context. The cast crosses between
// unrelated bases and costs more than the rest of an answer's envelope work,
// so the result is kept and the cast redone only when the context is another
// object. Main queue only, like the services that hold one.
class ZMRContextLink {
public:
    std::shared_ptr<ZMRContext> of(const std::shared_ptr<IKRServiceContext>& context);

private:
    std::weak_ptr<IKRServiceContext> m_from; // the context last cast, not owned
    ZMRContext* m_to = nullptr; // its cast; valid while m_from lives
};

extern const char* const ZMRUserChangedNotification;
extern const char* const ZMRUserInfoChangedNotification;
extern const char* const ZMRLocationChangedNotification;
