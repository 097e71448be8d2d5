#pragma once

// The application shell: the framework shell (configuration, task bus,
// screens) plus the application's context. User state is in the standard
// user defaults; the position, the databases and the follow-list flag live
// in the instance. Lives as long as the process. Main queue only.

#include "app/services/ZMRContext.h"
#include "framework/core/KRShell.h"

class ZMRShell : public KRShell, public ZMRContext {
public:
    static std::shared_ptr<ZMRShell> create(pf::DictionaryRef config, std::shared_ptr<pf::Bundle> bundle);
    ~ZMRShell() override;

    void toRootViewController(bool animated) override;
    void logout(bool animated) override;
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

    std::optional<pf::Location> m_location;
    KRDBContextRef m_appDBContext;
    KRDBContextRef m_userDBContext;
    bool m_hasConcernChanged = false;
};
