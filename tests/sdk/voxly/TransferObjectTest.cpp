#include "VoxlyTestSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/voxly/VXMessageObject.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"

namespace voxly::test {
namespace {

class VoxlyTransfer : public VoxlyTest {};

// Writes `items` where a message of `type` and `identifier` is looked for.
void writeBoard(const std::string& type, const std::string& identifier, const std::vector<pf::Pasteboard::Item>& items)
{
    VoxlySDK::pasteboardWithName(VXDataTransferObject::pasteboardNameWithID(type, identifier), true)->setItems(items);
}

pf::Pasteboard::Item archived(const std::string& type, const pf::Value& value)
{
    return {{type, *pf::KeyedArchiver::archivedDataWithRootObject(value)}};
}

TEST_F(VoxlyTransfer, NamesAndWakeUpURLsFollowTypeAndIdentifier)
{
    EXPECT_EQ(VXDataTransferObject::pasteboardNameWithID("request", "abc"), "voxlysdk_request_900150983CD24FB0D6963F7D28E17F72");
    auto request = VXAuthorizeRequest::request();
    request->setRequestID("abc");
    EXPECT_EQ(request->openVoxlyAppScheme(), "voxlysdk://request?id=abc&sdkversion=2.2");
    EXPECT_EQ(request->open3rdAppSchemeWithAppKey("42"), "vx42://request?id=abc&sdkversion=2.2");
    auto id = VXDataTransferObject::UUID();
    EXPECT_EQ(id.size(), 36u);
    for (std::size_t i = 0; i < id.size(); ++i)
        EXPECT_TRUE(i == 8 || i == 13 || i == 18 || i == 23 ? id[i] == '-' : std::isxdigit(id[i]) && !std::islower(id[i])) << id;
    EXPECT_NE(VXBaseRequest::request()->requestID(), VXBaseRequest::request()->requestID());
}

TEST_F(VoxlyTransfer, IdentifiersAreMadeOnceAndKeptThroughCopiesAndBoards)
{
    // Made on first use: whatever asks first, every later answer and every
    // copy carries the same identifier.
    auto request = VXAuthorizeRequest::request();
    VXAuthorizeRequest copy = *request;
    ASSERT_TRUE(request->requestID());
    EXPECT_EQ(copy.requestID(), request->requestID());
    EXPECT_EQ(request->objectID(), request->requestID());
    EXPECT_EQ(request->dictionary()->string("requestID"), request->requestID());
    auto response = VXBaseResponse::response();
    EXPECT_EQ(response->dictionary()->string("responseID"), response->responseID());
    EXPECT_NE(VXBaseResponse::response()->responseID(), response->responseID());

    // Read back, the stored identifier is kept; a cleared one stays cleared.
    request->redirectURI = "http://127.0.0.1/back";
    VoxlySDK::pasteboardWithName(request->pasteboardName(), true)->setItems(request->transferObjectsForPasteboard(), true);
    auto back = VXBaseRequest::objectFromPasteboardWithID(*request->requestID(), "2.2");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->requestID(), request->requestID());
    back->setRequestID(std::nullopt);
    EXPECT_FALSE(back->requestID());
    EXPECT_FALSE(back->objectID());
}

TEST_F(VoxlyTransfer, DirectionsAndPairing)
{
    struct Row {
        std::shared_ptr<VXDataTransferObject> object;
        bool sent, received;
        const char* response;
    } rows[] = {
        {VXAuthorizeRequest::request(), true, false, "VXAuthorizeResponse"},
        {VXAuthorizeResponse::response(), false, true, nullptr},
        {VXSendMessageToVoxlyRequest::request(), true, false, "VXSendMessageToVoxlyResponse"},
        {VXSendMessageToVoxlyResponse::response(), false, true, nullptr},
        {VXProvideMessageForVoxlyRequest::request(), false, true, "VXProvideMessageForVoxlyResponse"},
        {VXProvideMessageForVoxlyResponse::response(), true, false, nullptr},
        {VXBaseRequest::request(), false, false, "VXBaseResponse"},
        {VXBaseResponse::response(), false, false, nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.object->canBeSent(), row.sent) << row.object->className();
        EXPECT_EQ(row.object->canBeReceived(), row.received) << row.object->className();
        if (auto request = std::dynamic_pointer_cast<VXBaseRequest>(row.object)) {
            auto response = request->makeAssociatedResponse();
            EXPECT_STREQ(response->className(), row.response);
            EXPECT_TRUE(request->canAssociateWithResponse(*response));
            auto other = std::make_shared<VoxlySDK3rdApp>();
            other->appKey = "1";
            response->setApp(other);
            EXPECT_FALSE(request->canAssociateWithResponse(*response));
        }
    }
    auto success = VXAuthorizeResponse::response();
    EXPECT_EQ(success->validateBeforeSend(), "不允许发送此种类型的数据 VXAuthorizeResponse");
    success->statusCode = -1;
    EXPECT_FALSE(success->validateBeforeSend());
}

TEST_F(VoxlyTransfer, AuthorizeRequestBounds)
{
    struct Row {
        std::optional<std::string> redirect, scope;
        std::optional<std::string> failure;
    } rows[] = {
        {std::string(1024, 'r'), std::nullopt, std::nullopt},
        {std::string(1025, 'r'), std::nullopt, "认证请求中的redirectURI不能为空且长度小于1K"},
        {std::nullopt, "", "认证请求中的redirectURI不能为空且长度小于1K"},
        {"", "", std::nullopt},
        {"r", std::string(1025, 's'), "认证请求中的scope长度小于1K"},
    };
    for (const auto& row : rows) {
        auto request = VXAuthorizeRequest::request();
        request->redirectURI = row.redirect;
        request->scope = row.scope;
        EXPECT_EQ(request->validate(), row.failure);
    }
}

TEST_F(VoxlyTransfer, MessagesTravelWholeOnBothKindsOfBoard)
{
    for (const char* version : {"6.1", "7.0"}) {
        setSystemVersion(version);
        auto request = VXSendMessageToVoxlyRequest::requestWithMessage(VXMessageObject::message());
        request->message->text = "你好";
        request->setUserInfo(pf::Dictionary::create({{"k", "v"}}));
        request->setApp(VoxlySDK3rdApp::currentApp());
        writeBoard("request", *request->requestID(), request->transferObjectsForPasteboard());
        auto back = std::dynamic_pointer_cast<VXSendMessageToVoxlyRequest>(
            VXBaseRequest::objectFromPasteboardWithID(*request->requestID(), "2.2"));
        ASSERT_TRUE(back) << version;
        EXPECT_EQ(back->message->text, "你好");
        EXPECT_EQ(back->app()->appKey, kAppKey);
        EXPECT_EQ(back->app()->bundleID, "com.zomaru.app");
        ASSERT_TRUE(back->userInfo());
        EXPECT_EQ(back->userInfo()->string("k"), "v");

        auto response = VXAuthorizeResponse::response();
        response->requestID = request->requestID();
        response->accessToken = "T";
        response->userID = "U";
        response->expirationDate = pf::Date{2000000000.5};
        writeBoard("response", *response->responseID(), response->transferObjectsForPasteboard());
        auto answer = std::dynamic_pointer_cast<VXAuthorizeResponse>(
            VXBaseResponse::objectFromPasteboardWithID(*response->responseID(), "2.2"));
        ASSERT_TRUE(answer) << version;
        EXPECT_EQ(answer->accessToken, "T");
        EXPECT_EQ(answer->expirationDate, (pf::Date{2000000000.5}));
        // With private boards the request is still on its own board; without
        // them the general board now holds the answer, so nothing comes back.
        EXPECT_EQ(answer->requestUserInfo != nullptr, std::string(version) == "6.1") << version;
    }
}

TEST_F(VoxlyTransfer, HostileBoardsReadAsNothing)
{
    const std::string id = "REQ-1";
    auto good = [&] {
        auto d = pf::Dictionary::create({{"__class", "VXAuthorizeResponse"}, {"responseID", id}, {"statusCode", 0}});
        return d;
    };
    struct Row {
        const char* what;
        std::vector<pf::Pasteboard::Item> items;
        bool readable;
    } rows[] = {
        {"a response", {archived("transferObject", good())}, true},
        {"a request class on the response board",
         {archived("transferObject", pf::Dictionary::create({{"__class", "VXAuthorizeRequest"}, {"requestID", id}}))}, false},
        {"a class outside the table", {archived("transferObject", pf::Dictionary::create({{"__class", "NSFileManager"}, {"responseID", id}}))}, false},
        {"another identifier", {archived("transferObject", pf::Dictionary::create({{"__class", "VXBaseResponse"}, {"responseID", "other"}}))}, false},
        {"an identifier of another type", {archived("transferObject", pf::Dictionary::create({{"__class", "VXBaseResponse"}, {"responseID", 5}}))}, false},
        {"no archive", {{{"transferObject", pf::Bytes{'b', 'p', 'l', 'i', 's', 't'}}}}, false},
        {"an array", {archived("transferObject", pf::Array::create({id}))}, false},
        {"nothing", {}, false},
    };
    for (const auto& row : rows) {
        writeBoard("response", id, row.items);
        EXPECT_EQ(VXBaseResponse::objectFromPasteboardWithID(id, "2.2") != nullptr, row.readable) << row.what;
    }
    // A token of the wrong type is absent, so the success fails its checks.
    auto wrong = good();
    wrong->set("accessToken", pf::Value::data(pf::Bytes{1}));
    wrong->set("userID", "U");
    wrong->set("expirationDate", "tomorrow");
    writeBoard("response", id, {archived("transferObject", wrong)});
    auto response = std::dynamic_pointer_cast<VXAuthorizeResponse>(VXBaseResponse::objectFromPasteboardWithID(id, "2.2"));
    ASSERT_TRUE(response);
    EXPECT_FALSE(response->accessToken);
    EXPECT_FALSE(response->expirationDate);
    EXPECT_EQ(response->validateAfterReceive(), "认证响应中的accessToken不能为空");
}

TEST_F(VoxlyTransfer, UserInfoArchiveCapIncludesTenMebibytes)
{
    auto sizedInfo = [](std::size_t dataSize) {
        return pf::Dictionary::create({{"blob", pf::Value::data(pf::Bytes(dataSize, 7))}});
    };
    std::size_t overhead = pf::KeyedArchiver::archivedDataWithRootObject(sizedInfo(10000000))->size() - 10000000;
    std::size_t exact = VXDataTransferObject::kMaxUserInfoArchive - overhead;
    ASSERT_EQ(pf::KeyedArchiver::archivedDataWithRootObject(sizedInfo(exact))->size(), VXDataTransferObject::kMaxUserInfoArchive);
    auto request = VXAuthorizeRequest::request();
    request->redirectURI = "r";
    request->setUserInfo(sizedInfo(exact));
    EXPECT_FALSE(request->validateBeforeSend());
    request->setUserInfo(sizedInfo(exact + 1));
    EXPECT_EQ(request->validateBeforeSend(), "userInfo中的数据序列化后必须小于10M");
    auto object = std::make_shared<pf::Object>();
    request->setUserInfo(pf::Dictionary::create({{"o", pf::Value(object)}}));
    EXPECT_EQ(request->validateBeforeSend(), "userInfo中的数据必须是可序列化的");
}

}
}
