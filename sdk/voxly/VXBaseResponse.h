#pragma once

// Responses exchanged with the Voxly app: the answer to a request, carrying
// its identifier and a status code (0 success, -1 the user closed the web
// dialog, -3 the web page answered an error, -4 the user declined to
// install the Voxly app, -99 not supported; others as the Voxly app sends
// them). A response with a non-zero status skips validation, so a failure
// without a token is delivered. Main queue.

#include "sdk/voxly/VXDataTransferObject.h"
#include "platform/foundation/Value.h"

class VXMessageObject;

class VXBaseResponse : public VXDataTransferObject {
public:
    VXBaseResponse() = default;
    static std::shared_ptr<VXBaseResponse> response() { return std::make_shared<VXBaseResponse>(); }

    const char* className() const override { return "VXBaseResponse"; }
    std::string transferType() const override { return "response"; }
    std::optional<std::string> objectID() const override { return m_responseID.get(); }
    void setObjectID(const std::optional<std::string>& identifier) override { m_responseID.set(identifier); }
    std::optional<std::string> validateBeforeSend() override;
    std::optional<std::string> validateAfterReceive() override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;
    // Its own board, then its request's.
    void removeFromPasteboard() override;

    const std::optional<std::string>& responseID() const { return m_responseID.get(); }
    std::optional<std::string> requestID;
    long long statusCode = 0;
    // The user information of the request this answers; not carried.
    pf::DictionaryRef requestUserInfo;

    static std::shared_ptr<VXBaseResponse> mappedObjectWithDictionary(const pf::Dictionary& dictionary);
    // The response, with the user information of its request restored.
    static std::shared_ptr<VXBaseResponse> objectFromPasteboardWithID(const std::string& identifier,
                                                                      const std::string& sdkVersion);

private:
    VXLazyID m_responseID;
};

class VXAuthorizeResponse final : public VXBaseResponse {
public:
    static std::shared_ptr<VXAuthorizeResponse> response() { return std::make_shared<VXAuthorizeResponse>(); }
    const char* className() const override { return "VXAuthorizeResponse"; }
    bool canBeReceived() const override { return true; }
    std::optional<std::string> validate() const override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    std::optional<std::string> userID;
    std::optional<std::string> accessToken;
    std::optional<pf::Date> expirationDate;
};

class VXSendMessageToVoxlyResponse final : public VXBaseResponse {
public:
    static std::shared_ptr<VXSendMessageToVoxlyResponse> response()
    {
        return std::make_shared<VXSendMessageToVoxlyResponse>();
    }
    const char* className() const override { return "VXSendMessageToVoxlyResponse"; }
    bool canBeReceived() const override { return true; }
};

class VXProvideMessageForVoxlyResponse final : public VXBaseResponse {
public:
    static std::shared_ptr<VXProvideMessageForVoxlyResponse> response()
    {
        return std::make_shared<VXProvideMessageForVoxlyResponse>();
    }
    static std::shared_ptr<VXProvideMessageForVoxlyResponse> responseWithMessage(std::shared_ptr<VXMessageObject> message);
    const char* className() const override { return "VXProvideMessageForVoxlyResponse"; }
    bool canBeSent() const override { return true; }
    std::optional<std::string> validate() const override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    std::shared_ptr<VXMessageObject> message;
};
