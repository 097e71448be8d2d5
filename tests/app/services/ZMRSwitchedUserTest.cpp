#include "SocialTestSupport.h"
#include "StoreTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRPrizeService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/db/KRDBContext.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

#include <functional>

namespace {

// Demo (5) sends a request, then anqi (6) signs in, or everybody signs out,
// before its answer comes: the answer is demo's alone.
class ZMRSwitchedUser : public SocialBus {
protected:
    void SetUp() override
    {
        registerSocialTestClasses();
        uploadRecord() = &uploads;
        startBus({}, [](const pf::DictionaryRef& config) {
            addAccountServices(config);
            addStoreServices(config);
            addSocialServices(config, "http://127.0.0.1:9/upload");
        }, pf::Value(serviceEntry("TestUploadHttpService", {"IKRHttpUploadTask"})));
        observeStoreNotifications(observer, posted);
        // Anqi follows 白雪 (11) and has one ledger entry.
        shell->setAuth(pf::Value(6), "t6");
        auto followed = std::make_shared<ZMRConcernObject>();
        followed->setUid(11);
        followed->setNick("白雪");
        followed->setVersion(3);
        ASSERT_TRUE(shell->userDBContext()->insertObject(followed));
        auto entry = std::make_shared<ZMRBooksObject>();
        entry->setBid(3);
        entry->setTimestamp(150);
        entry->setShopTitle("anqi's");
        ASSERT_TRUE(shell->userDBContext()->insertObject(entry));
        shell->setAccount("anqi");
        shell->setNick("安琪");
        shell->setUserInfo(pf::Value(pf::Dictionary::create({{"nick", "安琪"}})));
        shell->setZzToken("zz-anqi");
    }

    // Everything of the signed-in user an answer could change.
    std::vector<std::string> signedInState()
    {
        std::vector<std::string> state{shell->uid().description(), shell->token().value_or("-"),
                                       shell->account().value_or("-"), shell->nick().value_or("-"),
                                       shell->userInfo().description(), std::to_string(shell->integral()),
                                       shell->zzToken().value_or("-"), shell->voxlyToken().value_or("-"),
                                       shell->hasConcernChanged() ? "changed" : "unchanged",
                                       std::to_string(shell->concernVersion())};
        if (shell->userDBContext()) {
            for (const char* sql : {"SELECT uid, nick FROM ZMRConcernObject", "SELECT bid, shopTitle FROM ZMRBooksObject"})
                for (const std::string& row : dumpRows(shell->userDBContext(), sql))
                    state.push_back(row);
        }
        // A follow-list sync, or a request in the name of the signed-in user.
        state.push_back("requests " + std::to_string(api.requests.size()));
        return state;
    }

    std::vector<std::string> posted;
};

}

TEST_F(ZMRSwitchedUser, AnAnswerForThePreviousUserStoresNothingForTheNextOrForNobody)
{
    auto unfollow = [this] {
        auto task = std::make_shared<ZMRUnFollowTask>();
        task->setTuid(11);
        send(proto::IZMRUnFollowTask(), task);
    };
    auto follow = [this] {
        auto task = std::make_shared<ZMRFollowTask>();
        task->setTuid(12);
        task->setUser(pf::Value(pf::Dictionary::create({{"uid", 12}, {"nick", "白雪"}})));
        send(proto::IZMRFollowTask(), task);
    };
    auto coin = [this] { send(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>()); };
    const char* const demoSignedIn = R"({"error-code":0,"auth":5,"auth-token":"t5-new","user":{"account":"demo","nick":"Demo"},)"
                               R"("auth-bind":{"zz":{"token":"zz-demo"}}})";
    const char* const uploaded = R"({"error-code":0,"uri":"http://127.0.0.1:9/images/1"})";
    // A sign-in of `type` sent with nobody signed in; with `answer`, answered
    // at once (anqi's, made or chosen while demo's was on its way).
    auto signIn = [this](const pf::Protocol* type, const char* answer) {
        return [this, type, answer] {
            std::shared_ptr<KRUplinkTask> task = std::make_shared<ZMRLoginTask>();
            if (type == proto::IZMRRegisterTask())
                task = std::make_shared<ZMRRegisterTask>();
            else if (type == proto::IZMRZZLoginTask())
                task = std::make_shared<ZMRZZLoginTask>();
            send(type, task);
            if (answer)
                respond(answer);
        };
    };
    const char* const anqiSignedIn =
        R"({"error-code":0,"auth":6,"auth-token":"t6-new","user":{"account":"anqi","nick":"安琪"}})";
    struct Row {
        const char* name;
        std::function<void()> send;
        const char* answer; // to the request, or to the upload the task started
        bool signOut; // else anqi signs in
        std::vector<std::string> heard; // the delegate and the notifications seen on the bus
        bool askedByNobody = false; // demo signed out before the request
        std::function<void()> meanwhile = nullptr; // how anqi signs in, when not by setAuth
    } rows[] = {
        {"unfollow", unfollow, R"({"error-code":0})", false, {"success IZMRUnFollowTask uid=6"}},
        {"unfollow with unknown result", unfollow, "[]", false, {"fail IZMRUnFollowTask"}},
        {"follow", follow, R"({"error-code":0})", false, {"success IZMRFollowTask uid=6"}},
        {"points", coin, R"({"error-code":0,"coin-results":1000})", false, {"success IZMRCoinTask uid=6"}},
        {"points after signing out", coin, R"({"error-code":0,"coin-results":1000})", true, {"success IZMRCoinTask uid="}},
        {"exchange", [this] { send(proto::IZMRPrizeBuyTask(), std::make_shared<ZMRPrizeBuyTask>()); },
         R"({"error-code":0,"coin-results":1000})", false,
         {ZMRPrizeExchangedNotification, "success IZMRPrizeBuyTask uid=6"}},
        {"ledger entry",
         [this] { send(proto::IZMRBooksCreateTask(), std::make_shared<ZMRBooksCreateTask>()); },
         R"({"error-code":0,"books-create-results":{"bid":42,"createTime":150,"body":{"title":"demo's"}}})", false,
         {"success IZMRBooksCreateTask uid=6"}},
        {"ledger search",
         [this] {
             auto task = std::make_shared<ZMRBooksSearchTask>();
             task->setStartTime(100);
             task->setEndTime(200);
             send(proto::IZMRBooksSearchTask(), task);
         },
         R"({"error-code":0,"books-search-results":[{"bid":43,"createTime":160}]})", false,
         {"success IZMRBooksSearchTask uid=6"}},
        {"profile",
         [this] {
             auto task = std::make_shared<ZMRUpdateUserTask>();
             task->setNick("Demo");
             task->setLogo("http://127.0.0.1:9/demo.png");
             send(proto::IZMRUpdateUserTask(), task);
         },
         R"({"error-code":0,"user-results":{"nick":"Demo","logo":"http://127.0.0.1:9/demo.png"}})", false,
         {"success IZMRUpdateUserTask uid=6"}},
        {"profile with a new portrait",
         [this] {
             auto task = std::make_shared<ZMRUpdateUserTask>();
             task->setNick("Demo");
             task->setLogoImage(*pf::Bitmap::create(64, 48));
             send(proto::IZMRUpdateUserTask(), task);
         },
         uploaded, false, {"fail IZMRUpdateUserTask"}},
        {"post with a photo",
         [this] {
             auto task = std::make_shared<ZMRPublishTask>();
             task->setBody("demo's dinner");
             task->setImages(pf::Array::create({pf::Value(pf::Image::create(*pf::Bitmap::create(64, 48)))}));
             send(proto::IZMRPublishTask(), task);
         },
         uploaded, false, {"fail IZMRPublishTask"}},
        {"binding",
         [this] {
             auto task = std::make_shared<ZMRZZBindTask>();
             task->setToken("zz-demo");
             send(proto::IZMRZZBindTask(), task);
         },
         demoSignedIn, false, {"success IZMRZZBindTask uid=6"}},
        {"session check", [this] { send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>()); }, demoSignedIn, false,
         {"success IZMRAuthTask uid=6"}},
        // Demo's sign-in lands after anqi's account was made or chosen: it
        // would take over from her.
        {"sign-in answered after a registration", signIn(proto::IZMRLoginTask(), nullptr), demoSignedIn, false,
         {"fail IZMRLoginTask"}, true, signIn(proto::IZMRRegisterTask(), anqiSignedIn)},
        {"registration answered after a sign-in", signIn(proto::IZMRRegisterTask(), nullptr), demoSignedIn, false,
         {"fail IZMRRegisterTask"}, true, signIn(proto::IZMRLoginTask(), anqiSignedIn)},
        {"ZZ sign-in answered after a sign-in", signIn(proto::IZMRZZLoginTask(), nullptr), demoSignedIn, false,
         {"fail IZMRZZLoginTask"}, true, signIn(proto::IZMRLoginTask(), anqiSignedIn)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        shell->setAuth(pf::Value(5), "t5");
        if (row.askedByNobody)
            shell->logout(false);
        std::size_t uploadsBefore = uploads.uploads.size();
        row.send();
        auto request = lastRequest();
        bool upload = uploads.uploads.size() > uploadsBefore;
        if (row.meanwhile) {
            row.meanwhile();
        } else if (row.signOut) {
            shell->logout(false);
        } else {
            shell->setAuth(pf::Value(6), "t6");
            shell->setIntegral(450);
        }
        auto before = signedInState();
        recorder->clear();
        posted.clear();
        if (upload)
            endUpload(uploads.uploads.size() - 1, row.answer);
        else
            respond(row.answer, request);
        EXPECT_EQ(signedInState(), before);
        auto heard = row.heard;
        if (row.signOut)
            heard.back() += shell->uid().description();
        EXPECT_EQ(recorder->events, heard);
        EXPECT_EQ(posted, std::vector<std::string>{});
        if (row.meanwhile && !recorder->errors.empty())
            EXPECT_EQ(recorder->errors.back().code, ZMRSupersededCode);
    }
}
