#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VXMessageObject.h"
#include "sdk/voxly/VoxlySDK.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"

#include <string_view>

namespace {

struct TransferClass {
    const char* name;
    const char* superclass;
    std::shared_ptr<VXDataTransferObject> (*make)();
};

template <class T> std::shared_ptr<VXDataTransferObject> make()
{
    return std::make_shared<T>();
}

// Every class a "__class" value may name; nothing else is ever made from a board.
const TransferClass kClasses[] = {
    {"VXBaseRequest", "VXDataTransferObject", make<VXBaseRequest>},
    {"VXBaseResponse", "VXDataTransferObject", make<VXBaseResponse>},
    {"VXAuthorizeRequest", "VXBaseRequest", make<VXAuthorizeRequest>},
    {"VXAuthorizeResponse", "VXBaseResponse", make<VXAuthorizeResponse>},
    {"VXSendMessageToVoxlyRequest", "VXBaseRequest", make<VXSendMessageToVoxlyRequest>},
    {"VXSendMessageToVoxlyResponse", "VXBaseResponse", make<VXSendMessageToVoxlyResponse>},
    {"VXProvideMessageForVoxlyRequest", "VXBaseRequest", make<VXProvideMessageForVoxlyRequest>},
    {"VXProvideMessageForVoxlyResponse", "VXBaseResponse", make<VXProvideMessageForVoxlyResponse>},
};

const TransferClass* classNamed(std::string_view name)
{
    for (const auto& entry : kClasses)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

bool isLengthAtMost(const std::optional<std::string>& text, std::size_t limit)
{
    return pf::utf16Length(*text) <= limit;
}

}

std::shared_ptr<VXDataTransferObject> vxMakeTransferObject(std::string_view className, std::string_view receivingClass)
{
    const TransferClass* entry = classNamed(className);
    if (!entry)
        return nullptr;
    for (const TransferClass* at = entry; at; at = classNamed(at->superclass))
        if (receivingClass == at->name)
            return entry->make();
    return nullptr;
}

// Requests

void VXBaseRequest::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXDataTransferObject::storeToDictionary(dictionary);
    vx::setField(dictionary, "requestID", m_requestID.get());
}

void VXBaseRequest::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXDataTransferObject::loadFromDictionary(dictionary);
    m_requestID.set(vx::stringField(dictionary, "requestID"));
}

std::shared_ptr<VXBaseResponse> VXBaseRequest::makeAssociatedResponse() const
{
    return std::static_pointer_cast<VXBaseResponse>(vxMakeTransferObject(associateResponseClass(), "VXBaseResponse"));
}

bool VXBaseRequest::canAssociateWithResponse(const VXBaseResponse& response) const
{
    if (std::string_view(response.className()) != associateResponseClass())
        return false;
    if (!app() && !response.app())
        return true;
    return app() && response.app() && app()->isEqual(*response.app());
}

std::shared_ptr<VXBaseRequest> VXBaseRequest::mappedObjectWithDictionary(const pf::Dictionary& dictionary)
{
    auto name = vx::stringField(dictionary, "__class");
    auto object = name ? std::static_pointer_cast<VXBaseRequest>(vxMakeTransferObject(*name, "VXBaseRequest")) : nullptr;
    if (object)
        object->loadFromDictionary(dictionary);
    return object;
}

std::shared_ptr<VXBaseRequest> VXBaseRequest::objectFromPasteboardWithID(const std::string& identifier,
                                                                         const std::string&)
{
    auto object = readFromPasteboard(
        "request", identifier, [](const pf::Dictionary& d) { return mappedObjectWithDictionary(d); },
        [] { return VXBaseRequest::request(); });
    return std::static_pointer_cast<VXBaseRequest>(object);
}

std::optional<std::string> VXAuthorizeRequest::validate() const
{
    if (!redirectURI || !isLengthAtMost(redirectURI, 1024))
        return "认证请求中的redirectURI不能为空且长度小于1K";
    if (scope && !isLengthAtMost(scope, 1024))
        return "认证请求中的scope长度小于1K";
    return std::nullopt;
}

void VXAuthorizeRequest::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXBaseRequest::storeToDictionary(dictionary);
    vx::setField(dictionary, "redirectURI", redirectURI);
    vx::setField(dictionary, "scope", scope);
}

void VXAuthorizeRequest::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXBaseRequest::loadFromDictionary(dictionary);
    redirectURI = vx::stringField(dictionary, "redirectURI");
    scope = vx::stringField(dictionary, "scope");
}

std::shared_ptr<VXSendMessageToVoxlyRequest> VXSendMessageToVoxlyRequest::requestWithMessage(
    std::shared_ptr<VXMessageObject> message)
{
    auto request = VXSendMessageToVoxlyRequest::request();
    request->message = std::move(message);
    return request;
}

std::optional<std::string> VXSendMessageToVoxlyRequest::validate() const
{
    if (!message)
        return "请求中的消息体不能为空";
    return message->validate();
}

void VXSendMessageToVoxlyRequest::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXBaseRequest::storeToDictionary(dictionary);
    if (message)
        dictionary.set("message", VXMessageObject::dictionaryWithMessage(*message));
}

void VXSendMessageToVoxlyRequest::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXBaseRequest::loadFromDictionary(dictionary);
    auto body = dictionary.dictionary("message");
    message = body ? VXMessageObject::messageWithDictionary(*body) : nullptr;
}

// Responses

std::optional<std::string> VXBaseResponse::validateBeforeSend()
{
    if (statusCode != 0)
        return std::nullopt;
    return VXDataTransferObject::validateBeforeSend();
}

std::optional<std::string> VXBaseResponse::validateAfterReceive()
{
    if (statusCode != 0)
        return std::nullopt;
    return VXDataTransferObject::validateAfterReceive();
}

void VXBaseResponse::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXDataTransferObject::storeToDictionary(dictionary);
    vx::setField(dictionary, "responseID", m_responseID.get());
    vx::setField(dictionary, "requestID", requestID);
    dictionary.set("statusCode", pf::Value(statusCode));
}

void VXBaseResponse::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXDataTransferObject::loadFromDictionary(dictionary);
    m_responseID.set(vx::stringField(dictionary, "responseID"));
    requestID = vx::stringField(dictionary, "requestID");
    // A status of another type reads as 0, so the full checks of a success apply.
    auto status = dictionary.get("statusCode");
    statusCode = status.isNumber() ? status.longLongValue() : 0;
}

void VXBaseResponse::removeFromPasteboard()
{
    VXDataTransferObject::removeFromPasteboard();
    if (requestID)
        removeFromPasteboardWithID("request", *requestID);
}

std::shared_ptr<VXBaseResponse> VXBaseResponse::mappedObjectWithDictionary(const pf::Dictionary& dictionary)
{
    auto name = vx::stringField(dictionary, "__class");
    auto object = name ? std::static_pointer_cast<VXBaseResponse>(vxMakeTransferObject(*name, "VXBaseResponse")) : nullptr;
    if (object)
        object->loadFromDictionary(dictionary);
    return object;
}

std::shared_ptr<VXBaseResponse> VXBaseResponse::objectFromPasteboardWithID(const std::string& identifier,
                                                                           const std::string& sdkVersion)
{
    auto response = std::static_pointer_cast<VXBaseResponse>(readFromPasteboard(
        "response", identifier, [](const pf::Dictionary& d) { return mappedObjectWithDictionary(d); },
        [] { return VXBaseResponse::response(); }));
    if (!response)
        return nullptr;
    std::shared_ptr<VXBaseRequest> request;
    if (response->requestID) {
        request = VXBaseRequest::objectFromPasteboardWithID(*response->requestID, sdkVersion);
        if (request)
            response->requestUserInfo = request->userInfo();
    }
    if (response->requestID && !request && !VoxlySDK::canAccessPrivatePasteboard())
        response->requestUserInfo = VoxlySDK::takeCachedUserInfo(*response->requestID);
    return response;
}

std::optional<std::string> VXAuthorizeResponse::validate() const
{
    if (!userID)
        return "认证响应中的userID不能为空";
    if (!accessToken)
        return "认证响应中的accessToken不能为空";
    if (!expirationDate)
        return "认证响应中的expirationDate不能为空";
    return std::nullopt;
}

void VXAuthorizeResponse::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXBaseResponse::storeToDictionary(dictionary);
    vx::setField(dictionary, "userID", userID);
    vx::setField(dictionary, "accessToken", accessToken);
    if (expirationDate)
        dictionary.set("expirationDate", pf::Value::date(*expirationDate));
}

void VXAuthorizeResponse::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXBaseResponse::loadFromDictionary(dictionary);
    userID = vx::stringField(dictionary, "userID");
    accessToken = vx::stringField(dictionary, "accessToken");
    expirationDate = dictionary.get("expirationDate").date();
}

std::shared_ptr<VXProvideMessageForVoxlyResponse> VXProvideMessageForVoxlyResponse::responseWithMessage(
    std::shared_ptr<VXMessageObject> message)
{
    auto response = VXProvideMessageForVoxlyResponse::response();
    response->message = std::move(message);
    return response;
}

std::optional<std::string> VXProvideMessageForVoxlyResponse::validate() const
{
    if (!message)
        return "响应中的消息体不能为空";
    return message->validate();
}

void VXProvideMessageForVoxlyResponse::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXBaseResponse::storeToDictionary(dictionary);
    if (message)
        dictionary.set("message", VXMessageObject::dictionaryWithMessage(*message));
}

void VXProvideMessageForVoxlyResponse::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXBaseResponse::loadFromDictionary(dictionary);
    auto body = dictionary.dictionary("message");
    message = body ? VXMessageObject::messageWithDictionary(*body) : nullptr;
}
