#pragma once

// Requests exchanged with the Voxly app: this app asks for authorisation or
// shares a message; the Voxly app asks this app to provide one. A request's
// identifier is its requestID, its own for each new request (made on first
// use; one read back from a board is kept as it was). Main queue.

#include "sdk/voxly/VXDataTransferObject.h"

class VXMessageObject;

// The receiver of the facade's two HTTP calls (revocation, invitation):
// hears of the answer's body as text and the failure, on a worker thread.
class VoxlySDKRequestDelegate {
public:
    virtual ~VoxlySDKRequestDelegate() = default;
    virtual void didReceiveVoxlySDKResponse(const std::string& body, const std::optional<pf::Error>& error) = 0;
};

class VXBaseRequest : public VXDataTransferObject {
public:
    VXBaseRequest() = default;
    static std::shared_ptr<VXBaseRequest> request() { return std::make_shared<VXBaseRequest>(); }

    const char* className() const override { return "VXBaseRequest"; }
    std::string transferType() const override { return "request"; }
    std::optional<std::string> objectID() const override { return m_requestID.get(); }
    void setObjectID(const std::optional<std::string>& identifier) override { m_requestID.set(identifier); }
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    const std::optional<std::string>& requestID() const { return m_requestID.get(); }
    void setRequestID(std::optional<std::string> identifier) { m_requestID.set(std::move(identifier)); }
    // Not retained, not carried.
    std::shared_ptr<VoxlySDKRequestDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<VoxlySDKRequestDelegate> delegate) { m_delegate = std::move(delegate); }

    // The class name of the paired response ("VXBaseResponse" for the base).
    virtual const char* associateResponseClass() const { return "VXBaseResponse"; }
    // A new response of the paired class.
    std::shared_ptr<VXBaseResponse> makeAssociatedResponse() const;
    // The response is of the paired class and both carry no app or equal ones.
    bool canAssociateWithResponse(const VXBaseResponse& response) const;

    static std::shared_ptr<VXBaseRequest> mappedObjectWithDictionary(const pf::Dictionary& dictionary);
    static std::shared_ptr<VXBaseRequest> objectFromPasteboardWithID(const std::string& identifier,
                                                                     const std::string& sdkVersion);

private:
    VXLazyID m_requestID;
    std::weak_ptr<VoxlySDKRequestDelegate> m_delegate;
};

class VXAuthorizeRequest final : public VXBaseRequest {
public:
    static std::shared_ptr<VXAuthorizeRequest> request() { return std::make_shared<VXAuthorizeRequest>(); }
    const char* className() const override { return "VXAuthorizeRequest"; }
    const char* associateResponseClass() const override { return "VXAuthorizeResponse"; }
    bool canBeSent() const override { return true; }
    std::optional<std::string> validate() const override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    std::optional<std::string> redirectURI;
    std::optional<std::string> scope;
};

class VXSendMessageToVoxlyRequest final : public VXBaseRequest {
public:
    static std::shared_ptr<VXSendMessageToVoxlyRequest> request() { return std::make_shared<VXSendMessageToVoxlyRequest>(); }
    static std::shared_ptr<VXSendMessageToVoxlyRequest> requestWithMessage(std::shared_ptr<VXMessageObject> message);
    const char* className() const override { return "VXSendMessageToVoxlyRequest"; }
    const char* associateResponseClass() const override { return "VXSendMessageToVoxlyResponse"; }
    bool canBeSent() const override { return true; }
    std::optional<std::string> validate() const override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    std::shared_ptr<VXMessageObject> message;
};

class VXProvideMessageForVoxlyRequest final : public VXBaseRequest {
public:
    static std::shared_ptr<VXProvideMessageForVoxlyRequest> request()
    {
        return std::make_shared<VXProvideMessageForVoxlyRequest>();
    }
    const char* className() const override { return "VXProvideMessageForVoxlyRequest"; }
    const char* associateResponseClass() const override { return "VXProvideMessageForVoxlyResponse"; }
    bool canBeReceived() const override { return true; }
};
