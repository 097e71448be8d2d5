#include "NatterTestSupport.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "sdk/natter/AppCommunicate.h"
#include "sdk/natter/AppCommunicateData.h"
#include "sdk/natter/AppRegisterInfo.h"
#include "sdk/natter/NTMediaMessage.h"
#include "sdk/natter/NTReqResp.h"

#include <sys/stat.h>

namespace natter::test {
namespace {

pf::Bytes smallJpeg()
{
    auto bitmap = pf::Bitmap::create(4, 4);
    return *pf::encodeJpeg(**bitmap, 0.8);
}

std::shared_ptr<SendMessageToNTReq> textShare(std::string text)
{
    auto request = std::make_shared<SendMessageToNTReq>();
    request->bText = true;
    request->text = std::move(text);
    request->scene = 1;
    return request;
}

std::shared_ptr<SendMessageToNTReq> pictureShare(std::size_t imageSize, std::function<void(NTMediaMessage&)> change = {})
{
    auto message = NTMediaMessage::message();
    message->title = "Zomaru";
    message->description = "body";
    message->thumbData = smallJpeg();
    auto image = NTImageObject::object();
    image->imageData = pf::Bytes(imageSize, 9);
    message->mediaObject = image;
    if (change)
        change(*message);
    auto request = std::make_shared<SendMessageToNTReq>();
    request->message = message;
    return request;
}

TEST(NatterRecordLimits, SharesWithinTheLimitsBecomeRecords)
{
    struct Row {
        const char* what;
        std::shared_ptr<BaseReq> request;
        bool accepted;
    } rows[] = {
        {"text of one character", textShare("a"), true},
        {"text of 10240", textShare(std::string(10240, 'a')), true},
        {"text of 10241", textShare(std::string(10241, 'a')), false},
        {"empty text", textShare(""), false},
        {"image of 10 MiB", pictureShare(10485760), true},
        {"image a byte over", pictureShare(10485761), false},
        {"thumbnail that is no picture", pictureShare(10, [](NTMediaMessage& m) { m.thumbData = pf::Bytes{1, 2, 3}; }), false},
        {"thumbnail over 32 KiB", pictureShare(10, [](NTMediaMessage& m) { m.thumbData->resize(32769); }), false},
        {"title of 512", pictureShare(10, [](NTMediaMessage& m) { m.title = std::string(512, 't'); }), true},
        {"title of 513", pictureShare(10, [](NTMediaMessage& m) { m.title = std::string(513, 't'); }), false},
        {"description of 1025", pictureShare(10, [](NTMediaMessage& m) { m.description = std::string(1025, 'd'); }), false},
        {"no media", pictureShare(10, [](NTMediaMessage& m) { m.mediaObject = nullptr; }), false},
        {"empty media", pictureShare(10, [](NTMediaMessage& m) { m.mediaObject = NTWebpageObject::object(); }), false},
        {"ext info of 2049", pictureShare(10, [](NTMediaMessage& m) {
             auto extend = NTAppExtendObject::object();
             extend->extInfo = std::string(2049, 'x');
             m.mediaObject = extend;
         }), false},
        {"URL of 10241", pictureShare(10, [](NTMediaMessage& m) {
             auto page = NTWebpageObject::object();
             page->webpageUrl = std::string(10241, 'u');
             m.mediaObject = page;
         }), false},
        {"a new share", std::make_shared<SendMessageToNTReq>(), false},
        {"an answer's class", std::make_shared<BaseReq>(), false},
    };
    for (const auto& row : rows) {
        AppCommunicateData data;
        EXPECT_EQ(data.ReqToData(*row.request), row.accepted) << row.what;
    }

    AppCommunicateData data;
    data.conversationAccount = "friend";
    ASSERT_TRUE(data.ReqToData(*pictureShare(3)));
    auto record = data.propertList();
    EXPECT_EQ(record->keys(), (std::vector<std::string>{"command", "returnFromApp", "result", "account", "sdkver", "objectType",
                                                       "title", "description", "thumbData", "scene"}));
    EXPECT_EQ(record->string("command"), "1010");
    EXPECT_EQ(record->string("objectType"), "2");
    EXPECT_EQ(record->string("scene"), "0");
    EXPECT_EQ(data.fileData, (pf::Bytes(3, 9)));
}

TEST(NatterRecordCommands, RecordsBecomeTheObjectsOfTheirCommand)
{
    auto record = [](std::initializer_list<pf::Dictionary::Entry> entries) {
        return std::make_shared<pf::Dictionary>(entries);
    };
    struct Row {
        pf::DictionaryRef record;
        std::uint32_t command;
        const char* request;  // type name of DataToReq, "" for none
        const char* response; // of DataToResp
        int errCode;
    } rows[] = {
        {record({{"command", "2000"}}), 2000, "GetMessageFromNTReq", "", 0},
        {record({{"command", "2020"}, {"result", "-2"}}), 2020, "", "SendMessageToNTResp", -2},
        {record({{"command", "2010"}, {"result", "0"}}), 2010, "", "SendMessageToNTResp", 0},
        {record({{"command", "2030"}, {"result", "0"}}), 2030, "", "SendAuthResp", 0},
        {record({{"command", "1010"}, {"objectType", "7"}, {"extInfo", "x"}}), 1010, "ShowMessageFromNTReq", "", 0},
        {record({{"command", "1010"}, {"objectType", "2"}, {"mediaUrl", "u"}}), 1010, "", "", 0},
        {record({{"command", "1010"}, {"objectType", "6"}}), 1010, "", "", 0},
        {record({{"command", "1010"}, {"objectType", "7"}, {"thumbData", "text"}}), 1010, "", "", 0},
        {record({{"command", "1010"}, {"objectType", "7"}, {"title", std::string(513, 't')}}), 1010, "", "", 0},
        {record({{"command", "20x0"}}), 0, "", "", 0},
        {record({{"command", 2020}}), 0, "", "", 0},
        {record({{"command", "99999999999"}}), 0, "", "", 0},
        {record({{"result", "0"}}), 0, "", "", 0},
    };
    for (const auto& row : rows) {
        AppCommunicateData data(row.record);
        std::string label = pf::Value(row.record).description();
        EXPECT_EQ(data.command, row.command) << label;
        auto request = data.DataToReq();
        auto response = data.DataToResp();
        EXPECT_EQ(request ? (dynamic_cast<ShowMessageFromNTReq*>(request.get()) ? "ShowMessageFromNTReq" : "GetMessageFromNTReq") : "",
                  std::string(row.request)) << label;
        std::string responseName = !response ? "" : dynamic_cast<SendAuthResp*>(response.get()) ? "SendAuthResp" : "SendMessageToNTResp";
        EXPECT_EQ(responseName, row.response) << label;
        if (response) {
            EXPECT_EQ(response->errCode, row.errCode) << label;
        }
    }
    struct Back {
        pf::Value value;
        bool set;
    } backs[] = {{"1", true}, {pf::Value(), true}, {"0", false}, {"yes", false}, {1, false}};
    for (const auto& back : backs) {
        auto r = record({{"command", "2020"}});
        r->set("returnFromApp", back.value);
        EXPECT_EQ(AppCommunicateData(r).returnFromApp, back.set) << back.value.description();
    }
}

class NatterBoards : public NatterTest {};

TEST_F(NatterBoards, ReadingTakesOnlyOurRecordOnce)
{
    AppCommunicateData other;
    ASSERT_TRUE(other.ReqToData(*textShare("theirs")));
    ASSERT_TRUE(AppCommunicate::setAppCommunicateData(other, std::string("ntother")));
    AppCommunicateData ours;
    ASSERT_TRUE(ours.ReqToData(*pictureShare(5)));
    ASSERT_TRUE(AppCommunicate::setAppCommunicateData(ours, std::string(kAppID)));
    EXPECT_EQ(AppCommunicate::propertyListForAllApp()->count(), 2u);

    auto read = AppCommunicate::appCommunicateDataForAppID(std::string(kAppID));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->command, 1010u);
    EXPECT_EQ(read->fileData, (pf::Bytes(5, 9)));
    EXPECT_FALSE(AppCommunicate::appCommunicateDataForAppID(std::string(kAppID)));
    auto left = AppCommunicate::propertyListForAllApp();
    ASSERT_TRUE(left);
    EXPECT_EQ(left->keys(), (std::vector<std::string>{"ntother"}));
    EXPECT_FALSE(AppCommunicate::fileData());
}

TEST_F(NatterBoards, BoardsAreMadeByNameAndKept)
{
    struct Row {
        std::shared_ptr<pf::Pasteboard> (*open)();
        const char* name;
    } rows[] = {
        {&AppCommunicate::getDataPasteboard, "natter_data"},
        {&AppCommunicate::getFilePasteboard, "natter_file"},
    };
    EXPECT_EQ(MMApiRegister::getRegisterPasteboardName(), "natter_register");
    for (const auto& row : rows) {
        ASSERT_FALSE(pf::Pasteboard::withName(row.name, false)) << row.name << " starts missing";
        auto board = row.open();
        ASSERT_TRUE(board) << row.name;
        EXPECT_EQ(board->name(), row.name);
        EXPECT_TRUE(board->isPersistent()) << row.name;
        board->setPersistent(false);
        EXPECT_TRUE(row.open()->isPersistent()) << row.name << " is marked again on every use";
    }
}

TEST_F(NatterBoards, ReadingFromEmptiedBoardsLeavesTheFilesAlone)
{
    AppCommunicateData ours;
    ASSERT_TRUE(ours.ReqToData(*pictureShare(5)));
    ASSERT_TRUE(AppCommunicate::setAppCommunicateData(ours, std::string(kAppID)));
    ASSERT_TRUE(AppCommunicate::appCommunicateDataForAppID(std::string(kAppID)));
    // Each write renames a new file over the board: the inodes tell.
    auto inode = [](const std::string& name) {
        struct stat info {};
        std::string file = pf::Pasteboard::deviceDirectory() + "/pasteboards/" + name + ".board";
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    auto data = inode(AppCommunicate::getDataPasteboardName()), file = inode(AppCommunicate::getFilePasteboardName());
    ASSERT_NE(data, 0u);
    ASSERT_NE(file, 0u);
    EXPECT_FALSE(AppCommunicate::appCommunicateDataForAppID(std::string(kAppID)));
    EXPECT_FALSE(AppCommunicate::fileData());
    EXPECT_EQ(inode(AppCommunicate::getDataPasteboardName()), data);
    EXPECT_EQ(inode(AppCommunicate::getFilePasteboardName()), file);
}

TEST_F(NatterBoards, ForeignOrOversizedBoardsAreKeptAndWritesFail)
{
    auto share = [] {
        AppCommunicateData data;
        data.ReqToData(*textShare("hi"));
        return data;
    };
    struct Row {
        const char* what;
        pf::Bytes content;
    } rows[] = {
        {"not a property list", pf::Bytes{'n', 'o', 'p', 'e'}},
        {"an array", *pf::writeBinaryPropertyList(pf::Value(pf::Array::create({"a"})))},
        {"over the cap", *pf::writeBinaryPropertyList(pf::Value(pf::Dictionary::create(
                             {{"ntbig", pf::Value::data(pf::Bytes(AppCommunicate::kMaxDataBoard, 1))}})))},
    };
    for (const auto& row : rows) {
        for (const char* name : {"natter_data", "natter_register"}) {
            auto board = pf::Pasteboard::withName(name, true);
            board->setData(row.content, "content");
            bool written = std::string(name) == "natter_data"
                ? AppCommunicate::setAppCommunicateData(share(), std::string(kAppID))
                : NTApi::registerApp(std::string(kAppID));
            EXPECT_FALSE(written) << row.what << " on " << name;
            EXPECT_EQ(board->dataForPasteboardType("content"), row.content) << row.what << " on " << name;
        }
        EXPECT_FALSE(AppCommunicate::appCommunicateDataForAppID(std::string(kAppID))) << row.what;
        EXPECT_EQ(pf::Pasteboard::withName("natter_data", false)->dataForPasteboardType("content"), row.content);
    }
}


TEST(NatterAppRegisterInfo, ArchivesInNattersKeyOrderAndReadsBack)
{
    AppRegisterInfo info;
    info.appAddedByUser = true;
    info.appID = "wx42";
    info.appName = "Zomaru";
    info.appDescription = "省钱";
    info.appInstallUrl = "https://store.example/zomaru";
    info.needUpdateIcon = true;
    info.appInfoVer = 7;
    info.lastUpdateIconTime = 0xFFFFFFFFFFFFFFFFull;
    EXPECT_EQ(info.description(), "{ name:Zomaru appid:wx42}");
    EXPECT_EQ(AppRegisterInfo().description(), "{ name:(null) appid:(null)}");

    auto data = info.archivedData();
    ASSERT_TRUE(data);
    auto back = AppRegisterInfo::unarchive(*data);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, info);
    EXPECT_EQ(info.encode()->keys(),
              (std::vector<std::string> { "added", "appID", "appName", "description", "appurl", "needUpdateInfo",
                                          "needUpdateIcon", "needUpdateWaterMark", "appInfoVer", "lastUpdateInfoTime",
                                          "lastUpdateWatermarkTime", "lastUpdateIconTime" }));

    // Fields of another type read as unset; other archives are refused.
    auto odd = pf::Dictionary::create({ { "appID", 5 }, { "added", "yes" }, { "appInfoVer", -3 }, { "appName", "n" } });
    auto oddInfo = AppRegisterInfo::decode(*odd);
    EXPECT_FALSE(oddInfo.appID);
    EXPECT_FALSE(oddInfo.appAddedByUser);
    EXPECT_EQ(oddInfo.appInfoVer, 0u);
    EXPECT_EQ(oddInfo.appName, "n");
    EXPECT_FALSE(AppRegisterInfo::unarchive(pf::Bytes { 1, 2, 3 }));
    EXPECT_FALSE(AppRegisterInfo::unarchive(*pf::KeyedArchiver::archivedDataWithRootObject(pf::Value("text"))));
}

}
}
