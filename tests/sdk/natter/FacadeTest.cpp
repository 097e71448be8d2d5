#include "NatterTestSupport.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/PropertyListWriter.h"
#include "platform/foundation/URL.h"
#include "sdk/natter/AppCommunicate.h"
#include "sdk/natter/AppCommunicateData.h"
#include "sdk/natter/NTMediaMessage.h"
#include "sdk/natter/NTReqResp.h"

#include <fstream>
#include <thread>

namespace natter::test {
namespace {

class Recorder final : public NTApiDelegate {
public:
    void onReq(const std::shared_ptr<BaseReq>& request) override { requests.push_back(request); }
    void onResp(const std::shared_ptr<BaseResp>& response) override { responses.push_back(response); }
    std::vector<std::shared_ptr<BaseReq>> requests;
    std::vector<std::shared_ptr<BaseResp>> responses;
};

class NatterFacade : public NatterTest {};

std::shared_ptr<SendMessageToNTReq> textShare()
{
    auto request = std::make_shared<SendMessageToNTReq>();
    request->bText = true;
    request->text = "Zomaru\nbody";
    return request;
}

bool open(const std::string& text, const std::shared_ptr<NTApiDelegate>& delegate)
{
    auto url = pf::URL::create(text);
    return url && NTApi::handleOpenURL(*url, delegate);
}

// What Natter does to answer: its record under our id, then our URL.
void natterAnswers(std::initializer_list<pf::Dictionary::Entry> record)
{
    ASSERT_TRUE(AppCommunicate::setPropertyList(std::make_shared<pf::Dictionary>(record), kAppID));
}

TEST_F(NatterFacade, WithoutAnIdNothingIsSentOrInstalled)
{
    installNatter();
    EXPECT_FALSE(NTApi::isNTAppInstalled());
    EXPECT_TRUE(NTApi::isNTAppSupportApi());
    EXPECT_FALSE(NTApi::sendReq(textShare()));
    EXPECT_FALSE(pf::Pasteboard::withName("natter_data", false));
    EXPECT_FALSE(NTApi::registerApp(std::nullopt));
    EXPECT_FALSE(open(std::string(kAppID) + "://x", std::make_shared<Recorder>()));
}

TEST_F(NatterFacade, ProbesFollowTheInstalledSchemes)
{
    ASSERT_TRUE(NTApi::registerApp(std::string(kAppID)));
    EXPECT_FALSE(NTApi::isNTAppInstalled());
    EXPECT_EQ(NTApi::getNTAppSupportMaxApiVersion(), "");
    installNatter(true);
    EXPECT_TRUE(NTApi::isNTAppInstalled());
    EXPECT_FALSE(NTApi::isNTAppSupportApi());
    TearDown();
    SetUp();
    ASSERT_TRUE(NTApi::registerApp(std::string(kAppID)));
    installNatter();
    EXPECT_EQ(NTApi::getNTAppSupportMaxApiVersion(), "1.0");
    auto info = *pf::writeBinaryPropertyList(pf::Value(pf::Dictionary::create({{"version", "1.5"}})));
    pf::Pasteboard::withName("natter_sdk_infomation", true)->setData(info, "content");
    EXPECT_EQ(NTApi::getNTAppSupportMaxApiVersion(), "1.5");
}

TEST_F(NatterFacade, ShareTravelsAsRecordAndWakesNatter)
{
    ASSERT_TRUE(NTApi::registerApp(std::string(kAppID)));
    installNatter();
    ASSERT_TRUE(NTApi::sendReq(textShare()));
    ASSERT_TRUE(waitFor([&] { return !natterURLs.empty(); }));
    EXPECT_EQ(natterURLs[0], std::string("natapp://app/") + kAppID + "/");
    auto record = AppCommunicate::propertyListForAllApp()->dictionary(kAppID);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->string("title"), "Zomaru\nbody");
    EXPECT_EQ(record->string("command"), "1020");
    EXPECT_FALSE(record->contains("account"));

    // Natter answers 2020 and hands over a conversation account.
    auto delegate = std::make_shared<Recorder>();
    natterAnswers({{"command", "2020"}, {"result", "0"}, {"account", "friend-1"}});
    EXPECT_TRUE(open(std::string(kAppID) + "://platformId=natter", delegate));
    ASSERT_EQ(delegate->responses.size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<SendMessageToNTResp>(delegate->responses[0]));
    EXPECT_EQ(NTApi::conversationAccount(), "friend-1");
    // Read once.
    EXPECT_FALSE(open(std::string(kAppID) + "://platformId=natter", delegate));
    EXPECT_FALSE(open(std::string(kAppID) + "://platformId=natter", nullptr));
    // Opening Natter forgets the account.
    ASSERT_TRUE(NTApi::sendReq(textShare()));
    EXPECT_FALSE(NTApi::conversationAccount());

    // A record naming no account leaves none from an earlier one, so the
    // next reply goes to no conversation.
    natterAnswers({{"command", "2020"}, {"result", "0"}, {"account", "friend-2"}});
    EXPECT_TRUE(open(std::string(kAppID) + "://platformId=natter", delegate));
    natterAnswers({{"command", "2020"}, {"result", "0"}});
    EXPECT_TRUE(open(std::string(kAppID) + "://platformId=natter", delegate));
    EXPECT_FALSE(NTApi::conversationAccount());
    ASSERT_TRUE(NTApi::sendResp(std::make_shared<ShowMessageFromNTResp>()));
    auto reply = AppCommunicate::propertyListForAllApp()->dictionary(kAppID);
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->contains("account"));
}

TEST_F(NatterFacade, AuthorisationCallbacks)
{
    ASSERT_TRUE(NTApi::registerApp(std::string(kAppID)));
    auto delegate = std::make_shared<Recorder>();
    std::string id = kAppID;
    double before = pf::Date::now().seconds;
    EXPECT_TRUE(open(id + "://timeline/auth/allow?username=%E4%BD%A0&access_token=T&expires_in=3600&novalue&state=s#frag",
                     delegate));
    EXPECT_TRUE(open(id + "://timeline/auth/allow?access_token=T&expires_in=0", delegate));
    ASSERT_EQ(delegate->responses.size(), 2u);
    auto allowed = std::dynamic_pointer_cast<SendAuthResp>(delegate->responses[0]);
    EXPECT_EQ(allowed->userName, "你");
    EXPECT_EQ(allowed->token, "T");
    EXPECT_EQ(allowed->state, "s");
    EXPECT_NEAR(allowed->expireDate->seconds - before, 3600, 5);
    EXPECT_GT(std::dynamic_pointer_cast<SendAuthResp>(delegate->responses[1])->expireDate->seconds, before + 1e9);

    // A deny is told, then the record that came with it is read as well.
    natterAnswers({{"command", "2030"}, {"result", "0"}});
    EXPECT_TRUE(open(id + "://timeline/auth/deny?reason=no&state=s#state=t", delegate));
    ASSERT_EQ(delegate->responses.size(), 4u);
    EXPECT_EQ(delegate->responses[2]->errCode, -4);
    EXPECT_EQ(delegate->responses[2]->errStr, "no");
    EXPECT_EQ(std::dynamic_pointer_cast<SendAuthResp>(delegate->responses[2])->state, "s") << "the query ends at '#'";
    EXPECT_TRUE(std::dynamic_pointer_cast<SendAuthResp>(delegate->responses[3]));
    EXPECT_FALSE(open(id + "://timeline/auth/allow?x=" + std::string(70000, 'a'), delegate));
}

TEST_F(NatterFacade, RegistrationKeepsOtherAppsAndPicksTheIconForTheScreen)
{
    std::string bundleDir = root() + "/bundle";
    std::filesystem::create_directories(bundleDir);
    auto info = pf::Dictionary::create({{"CFBundleIdentifier", "com.zomaru.app"}, {"CFBundleDisplayName", ""},
                                        {"CFBundleName", "Zomaru"},
                                        {"CFBundleIconFiles", pf::Array::create({"Icon.png", "Icon@2x.png"})}});
    ASSERT_FALSE(pf::writePropertyListFile(bundleDir + "/Info.plist", pf::Value(info)));
    for (const char* name : {"Icon.png", "Icon@2x.png"})
        std::ofstream(bundleDir + "/" + name) << name;
    auto saved = pf::Bundle::main();
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(bundleDir));
    struct Row {
        double scale;
        pf::ArrayRef files;
        const char* icon;
    } rows[] = {
        {2, pf::Array::create({"Icon.png", "Icon@2x.png"}), "Icon@2x.png"},
        {1, pf::Array::create({"Icon.png", "Icon@2x.png"}), "Icon.png"},
        {1, pf::Array::create({"a@2x.png", "b@2x.png"}), "b@2x.png"},
        {2, pf::Array::create(), "Icon@2x.png"},
        {1, nullptr, "Icon.png"},
    };
    for (const auto& row : rows) {
        auto profile = pf::DeviceProfile::current();
        profile.scale = row.scale;
        pf::DeviceProfile::setCurrent(profile);
        pf::Bundle::main()->infoDictionary()->set("CFBundleIconFiles", row.files ? pf::Value(row.files) : pf::Value());
        EXPECT_EQ(MMApiRegister::getIconString(), bundleDir + "/" + row.icon) << row.scale;
    }

    // Two apps registering at the same moment both stay on the board.
    pf::Bundle::main()->infoDictionary();
    std::thread other([] {
        for (int i = 0; i < 20; ++i)
            MMApiRegister::registerApp(std::string("ntother"));
    });
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(NTApi::registerApp(std::string(kAppID)));
    other.join();
    auto data = pf::Pasteboard::withName("natter_register", false)->dataForPasteboardType("content");
    auto all = pf::parseBinaryPropertyList({reinterpret_cast<const char*>(data->data()), data->size()});
    ASSERT_TRUE(all);
    auto ours = all->dictionary()->dictionary(kAppID);
    ASSERT_TRUE(ours);
    EXPECT_TRUE(all->dictionary()->dictionary("ntother"));
    EXPECT_EQ(ours->string("appName"), "Zomaru");
    EXPECT_EQ(ours->string("appIdentifier"), "com.zomaru.app");
    EXPECT_EQ(*ours->get("appIcon").data(), pf::Bytes({'I', 'c', 'o', 'n', '.', 'p', 'n', 'g'}));
    pf::Bundle::setMain(saved);
}

}
}
