#pragma once

// The base of every message that crosses between this app and the Voxly
// app: an identifier, a dictionary form, the pasteboard items it travels
// as, the board it travels on ("voxlysdk_<type>_<MD5 of the id>") and the
// URL that wakes the other side.
//
// Reading is the hostile side: any process may write the boards. Archives
// decode only value classes and are read under fixed caps (kMaxObjectArchive,
// kMaxUserInfoArchive, kMaxAppArchive); "__class" names a class only through
// the table of this SDK's request and response classes, and only a subclass
// of the class that reads (a request reader never makes a response); every
// field is read only with its own type. A message that does not map reads
// as nothing; reading never fails otherwise.
//
// Boards are opened through VoxlySDK::pasteboardWithName, so systems
// without private boards carry everything on the general board. Main queue.

#include "platform/foundation/Pasteboard.h"
#include "sdk/voxly/Forward.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class VXDataTransferObject : public std::enable_shared_from_this<VXDataTransferObject> {
public:
    static constexpr std::size_t kMaxObjectArchive = 12u << 20;
    static constexpr std::size_t kMaxUserInfoArchive = 10485760;
    static constexpr std::size_t kMaxAppArchive = 4u << 20;

    VXDataTransferObject() = default;
    virtual ~VXDataTransferObject() = default;

    virtual const char* className() const { return "VXDataTransferObject"; }
    // "request" or "response"; empty for the base.
    virtual std::string transferType() const { return {}; }
    virtual std::optional<std::string> objectID() const { return std::nullopt; }
    virtual void setObjectID(const std::optional<std::string>&) {}
    virtual std::optional<std::string> validate() const { return std::nullopt; }
    virtual bool canBeSent() const { return false; }
    virtual bool canBeReceived() const { return false; }
    virtual std::optional<std::string> validateBeforeSend();
    virtual std::optional<std::string> validateAfterReceive();
    std::optional<std::string> validateUserInfo();
    virtual void storeToDictionary(pf::Dictionary& dictionary) const;
    virtual void loadFromDictionary(const pf::Dictionary&) {}
    virtual void removeFromPasteboard();

    pf::DictionaryRef dictionary() const;
    std::vector<pf::Pasteboard::Item> transferObjectsForPasteboard();

    // A new identifier: 36 upper-case hexadecimal characters with hyphens.
    static std::string UUID();
    static std::string pasteboardNameWithID(const std::string& transferType, const std::string& identifier);
    std::string pasteboardName() const;
    static void removeFromPasteboardWithID(const std::string& transferType, const std::string& identifier);
    // "voxlysdk://<type>?id=<id>&sdkversion=2.2".
    static std::string openVoxlyAppSchemeWithID(const std::string& transferType, const std::string& identifier);
    std::string openVoxlyAppScheme() const;
    // "vx<appkey>://<type>?id=<id>&sdkversion=2.2".
    static std::string open3rdAppSchemeWithID(const std::string& transferType, const std::string& identifier,
                                              const std::string& appKey);
    std::string open3rdAppSchemeWithAppKey(const std::string& appKey) const;

    // Read from the message's board on first use when the message came from
    // one and none was set.
    pf::DictionaryRef userInfo();
    void setUserInfo(pf::DictionaryRef userInfo) { m_userInfo = std::move(userInfo); }
    const std::shared_ptr<VoxlySDK3rdApp>& app() const { return m_app; }
    void setApp(std::shared_ptr<VoxlySDK3rdApp> app) { m_app = std::move(app); }
    const std::string& sdkVersion() const { return m_sdkVersion; }
    void setSdkVersion(std::string version) { m_sdkVersion = std::move(version); }
    bool shouldOpenVoxlyAppInstallPageIfNotInstalled() const { return m_shouldOpenInstallPage; }
    void setShouldOpenVoxlyAppInstallPageIfNotInstalled(bool open) { m_shouldOpenInstallPage = open; }

protected:
    // Makes a message of the class "__class" names, when that is a subclass
    // of `receivingClass`; null otherwise.
    using Mapper = std::function<std::shared_ptr<VXDataTransferObject>(const pf::Dictionary&)>;
    // The message on the board of `transferType` and `identifier`: mapped by
    // `map`, else `unsupported()`; null when the board is missing or holds
    // another message.
    static std::shared_ptr<VXDataTransferObject> readFromPasteboard(
        const std::string& transferType, const std::string& identifier, const Mapper& map,
        const std::function<std::shared_ptr<VXDataTransferObject>()>& unsupported);

private:
    pf::DictionaryRef m_userInfo;
    std::shared_ptr<VoxlySDK3rdApp> m_app;
    std::string m_sdkVersion = "2.2";
    bool m_shouldOpenInstallPage = true;
    // The board the message was read from, for the lazy user information.
    std::optional<std::string> m_sourcePasteboard;
};

// A message's identifier, made on first use: a message read back from a
// board takes the stored one and never pays for a fresh one. Reading or
// copying it fixes it, so copies of a message share one identifier as if it
// had been made at creation.
class VXLazyID {
public:
    VXLazyID() = default;
    VXLazyID(const VXLazyID& other) : m_value(other.get()), m_pending(false) {}
    VXLazyID& operator=(const VXLazyID& other)
    {
        m_value = other.get();
        m_pending = false;
        return *this;
    }
    const std::optional<std::string>& get() const
    {
        if (m_pending) {
            m_value = VXDataTransferObject::UUID();
            m_pending = false;
        }
        return m_value;
    }
    void set(std::optional<std::string> value)
    {
        m_value = std::move(value);
        m_pending = false;
    }

private:
    mutable std::optional<std::string> m_value;
    mutable bool m_pending = true;
};

// The SDK's transfer classes by name, for "__class": null for a name outside
// the table or a class that is not `receivingClass` or below it.
std::shared_ptr<VXDataTransferObject> vxMakeTransferObject(std::string_view className, std::string_view receivingClass);
