#include "AuthTestSupport.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/util/KRUUID.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Log.h"

#include <cmath>
#include <sys/stat.h>

namespace {

using ZMREnvelope = AuthBus;

std::vector<std::string> itemsAfter(const KRHttpFormBody& body, std::size_t skip)
{
    auto items = formItems(body);
    return std::vector<std::string>(items.begin() + static_cast<std::ptrdiff_t>(std::min(skip, items.size())), items.end());
}

}

TEST_F(ZMREnvelope, DeviceDescribesItselfUntilTheServerAssignsAnId)
{
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    const pf::DeviceProfile& device = pf::DeviceProfile::current();
    EXPECT_EQ(itemsAfter(*lastRequest()->body(), 2),
              (std::vector<std::string>{"device-unique=" + krUniqueIdentifier(), "device-type=1", "device-name=" + device.name,
                                        "device-systemName=" + device.systemName,
                                        "device-systemVersion=" + device.systemVersion, "device-model=" + device.model}));
    respond(R"({"error-code":0,"device-did":"D-77","timestamp":1000})");
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("device-did"), "D-77");

    shell->setAuth(pf::Value(12), "tok12");
    shell->setDeviceToken("push");
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    EXPECT_EQ(itemsAfter(*lastRequest()->body(), 2),
              (std::vector<std::string>{"device-did=D-77", "auth-uid=12", "auth-token=tok12", "device-token=push"}));
}

TEST_F(ZMREnvelope, RequestsOfOtherTypesPassUntouched)
{
    auto request = std::make_shared<KRAPIRequestTask>();
    request->setTaskType(proto::IKRUplinkTask());
    request->setTask(std::make_shared<KRTask>());
    auto body = std::make_shared<KRHttpFormBody>();
    body->addItemValue("x", "own");
    request->setBody(body);
    shell->handle(proto::IKRAPIRequestTask(), request, 0);
    EXPECT_EQ(formItems(*body), std::vector<std::string>{"own=x"});
    respondWith(KRJSON::decodeText(R"({"device-did":5,"timestamp":99})"), std::nullopt);
    EXPECT_TRUE(pf::UserDefaults::standard().objectForKey("device-did").isNil());
    EXPECT_NEAR(shell->timestamp(), pf::Date::now().seconds, 5);
}

TEST_F(ZMREnvelope, OnlyUsableAnswerValuesAreStored)
{
    struct Row {
        const char* json;
        bool storesDevice;
        bool storesTime;
    } rows[] = {
        {R"({"error-code":0,"device-did":null,"timestamp":null})", false, false},
        {R"({"error-code":0,"device-did":{"a":1},"timestamp":"soon"})", false, false},
        {R"({"error-code":0,"device-did":9,"timestamp":5000})", true, true},
        {R"({"error-code":3,"device-did":9,"timestamp":5000})", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        pf::UserDefaults::standard().removeObjectForKey("device-did");
        pf::UserDefaults::standard().removeObjectForKey("timestamp");
        send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
        respond(row.json);
        EXPECT_EQ(!pf::UserDefaults::standard().objectForKey("device-did").isNil(), row.storesDevice);
        EXPECT_EQ(std::fabs(shell->timestamp() - 5000) < 10, row.storesTime);
    }
    // A server time the kept clock already agrees with still renews the local
    // time it was received at.
    auto& defaults = pf::UserDefaults::standard();
    double stale = pf::Date::now().seconds - 3600;
    defaults.setObject(5000.0, "timestamp");
    defaults.setObject(stale, "timestamp-local");
    double kept = std::floor(shell->timestamp());
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    respondWith(pf::Value(pf::Dictionary::create({{"error-code", 0}, {"timestamp", kept}})), std::nullopt);
    EXPECT_GT(defaults.doubleForKey("timestamp-local"), stale + 1800);
    EXPECT_EQ(defaults.doubleForKey("timestamp"), kept);
    // A server time that is not finite never reaches the clock.
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    respondWith(pf::Value(pf::Dictionary::create({{"error-code", 0}, {"timestamp", INFINITY}})), std::nullopt);
    EXPECT_TRUE(std::isfinite(shell->timestamp()));
}

// Each write replaces the file, so an unchanged file identity means no write.
TEST_F(ZMREnvelope, AnswersRepeatingStoredValuesCostNoWriteButChangesAreWrittenAtOnce)
{
    const char* signedIn = R"({"error-code":0,"device-did":"D-1","auth":4,"auth-token":"t4",)"
                           R"("user":{"account":"ann","nick":"Ann"},"auth-bind":{"voxly":{"token":"v"}}})";
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    respond(signedIn);
    auto& defaults = pf::UserDefaults::standard();
    auto fileId = [&] {
        struct stat info {};
        return ::stat(defaults.path().c_str(), &info) == 0 ? info.st_ino : 0;
    };
    struct Row {
        const char* json;
        bool writes;
    } rows[] = {
        {signedIn, false},
        {R"({"error-code":0,"device-did":"D-1"})", false},
        {R"({"error-code":0,"device-did":"D-2"})", true},
        {R"({"error-code":0,"timestamp":7000})", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        auto before = fileId();
        ASSERT_NE(before, 0u);
        send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
        respond(row.json);
        EXPECT_EQ(fileId() != before, row.writes);
    }
    pf::UserDefaults::resetStandard();
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("device-did"), "D-2");
    EXPECT_EQ(pf::UserDefaults::standard().doubleForKey("timestamp"), 7000);
    EXPECT_EQ(shell->nick(), "Ann");
}

TEST_F(ZMREnvelope, RenewedTokenIsTakenOnlyForTheUserWhoAsked)
{
    shell->setAuth(pf::Value(1), "a1");
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    auto asFirstUser = lastRequest();
    shell->setAuth(pf::Value(2), "b1");
    respond(R"({"error-code":0,"auth-token":"stale"})", asFirstUser);
    EXPECT_EQ(shell->token(), "b1");

    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    respond(R"({"error-code":0,"auth-token":"b2"})");
    EXPECT_EQ(shell->token(), "b2");
    EXPECT_EQ(shell->uid(), pf::Value(2));

    // A task sent again for another user carries that user, not the first.
    auto reused = send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    shell->setAuth(pf::Value(3), "c1");
    shell->handle(proto::IZMRAuthTask(), reused, 0);
    respond(R"({"error-code":0,"auth-token":"c2"})");
    EXPECT_EQ(shell->token(), "c2");

    // Signed out, no answer sets a token.
    shell->setAuth(pf::Value(), std::nullopt);
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    respond(R"({"error-code":0,"auth-token":"x"})");
    EXPECT_FALSE(shell->token());
}

TEST_F(ZMREnvelope, LogsNeverShowPasswordsOrTokens)
{
    pf::setLogLevel(pf::LogLevel::Debug);
    shell->setAuth(pf::Value(3), "tok-secret-3");
    testing::internal::CaptureStderr();
    auto login = std::make_shared<ZMRLoginTask>();
    login->setAccount("ann");
    login->setPassword("pa55-word");
    send(proto::IZMRLoginTask(), login);
    respond(R"({"error-code":0,"auth":3,"auth-token":"tok-new-3","user":{"account":"ann"}})");
    std::string log = testing::internal::GetCapturedStderr();
    pf::setLogLevel(pf::LogLevel::Info);
    EXPECT_EQ(log.find("pa55-word"), std::string::npos) << log;
    EXPECT_EQ(log.find("tok-secret-3"), std::string::npos) << log;
    EXPECT_EQ(log.find("tok-new-3"), std::string::npos) << log;
    EXPECT_NE(log.find("ann"), std::string::npos) << log;
}

TEST(ZMRAnswerReading, CodesAndMessagesFollowTheRules)
{
    struct Row {
        const char* json;
        long long code;
        const char* description;
        bool ok;
    } rows[] = {
        {R"({"error-code":0})", 0, "", true}, {R"({})", 0, "", true}, {R"({"error-code":null})", 0, "", true},
        {R"({"error-code":257,"error":"wrong"})", 257, "wrong", false}, {R"({"error-code":4294967296})", 4294967296LL, "", false},
        {R"({"error-code":-3})", -3, "", false}, {R"({"error-code":"15366"})", 15366, "", false},
        {R"({"error-code":"abc"})", -1, "", false}, {R"({"error-code":[0]})", -1, "", false},
        {R"({"error-code":true})", -1, "", false}, {R"({"error-code":12.7})", 12, "", false},
        {R"({"error-code":1e300})", 9223372036854775807LL, "", false}, {R"({"error-code":5,"error":42})", 5, "", false},
        {R"([1,2])", ZMRResultUnknownCode, "", false},
        // The codes of failures without an answer are never the server's.
        {R"({"error-code":-101,"error":"x"})", -1, "x", false}, {R"({"error-code":-1502})", -1, "", false},
        {R"({"error-code":-2000})", -2000, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        KRAPIResponseTask response;
        response.setResultsData(KRJSON::decodeText(row.json));
        ZMRAnswer answer = ZMRReadAnswer(response, "ZMRCoinService");
        EXPECT_EQ(answer.results != nullptr, row.ok);
        if (row.ok)
            continue;
        ASSERT_TRUE(answer.error);
        EXPECT_EQ(*answer.error, (pf::Error{"ZMRCoinService", row.code, row.description}));
    }
    // JSON that is not a dictionary came whole from the server: a read it failed.
    KRAPIResponseTask array;
    array.setResultsData(KRJSON::decodeText("[]"));
    EXPECT_EQ(ZMRReadAnswer(array, "ZMRBooksService", ZMRRequestKind::Read).error,
              (pf::Error{"ZMRBooksService", ZMRServerFailedCode, ""}));
    // A read the server failed says so with its status; a lost, cut or
    // timed-out read is not answered; a write may have been stored, and a
    // failure before the server spoke is neither.
    struct Failure {
        pf::Error transport;
        bool unknown;
        long long write;
        long long read;
    } failures[] = {
        {{"KRAPIService", 502, "http status 502"}, true, ZMRResultUnknownCode, ZMRServerFailedCode - 502},
        {{"KRAPIService", -2, "not JSON"}, true, ZMRResultUnknownCode, ZMRServerFailedCode},
        {{"KRAPIService", -4, "cut"}, true, ZMRResultUnknownCode, ZMRNotAnsweredCode},
        {{"KRHttpTask", -6, "answer longer than 16 MiB"}, true, ZMRResultUnknownCode, ZMRServerFailedCode},
        {{"HttpConnection", 52, "empty reply"}, true, ZMRResultUnknownCode, ZMRNotAnsweredCode},
        {{"KRHttpService", -3, "timed out"}, true, ZMRResultUnknownCode, ZMRNotAnsweredCode},
        {{"HttpConnection", 7, "refused"}, false, ZMRNotAnsweredCode, ZMRNotAnsweredCode},
        {{"KRAPIService", -1, "no url"}, false, ZMRNotAnsweredCode, ZMRNotAnsweredCode},
    };
    for (const Failure& row : failures) {
        KRAPIResponseTask response;
        response.setError(row.transport);
        response.setResultUnknown(row.unknown);
        EXPECT_EQ(ZMRReadAnswer(response, "ZMRLikeService").error, (pf::Error{"ZMRLikeService", row.write, row.transport.description}));
        EXPECT_EQ(ZMRReadAnswer(response, "ZMRLikeService", ZMRRequestKind::Read).error,
                  (pf::Error{"ZMRLikeService", row.read, row.transport.description}));
    }
    KRAPIResponseTask failed;
    failed.setResultsData(KRJSON::decodeText(R"({"error-code":0})"));
    failed.setError(pf::Error{"KRHttpService", -3, "timed out"});
    EXPECT_EQ(ZMRReadAnswer(failed, "ZMRAuthService").error,
              (pf::Error{"ZMRAuthService", ZMRNotAnsweredCode, "timed out"}));
    failed.setResultUnknown(true);
    EXPECT_EQ(ZMRReadAnswer(failed, "ZMRAuthService").error,
              (pf::Error{"ZMRAuthService", ZMRResultUnknownCode, "timed out"}));
}

TEST(ZMRAnswerReading, ThirtyTwoBitConversionsClamp)
{
    struct Row {
        double in;
        int out;
    } rows[] = {{90.9, 90}, {-1.5, -1}, {0, 0}, {NAN, 0}, {1e12, 2147483647}, {-1e12, -2147483647 - 1},
                {INFINITY, 2147483647}, {-INFINITY, -2147483647 - 1}, {2147483647.9, 2147483647}};
    for (const Row& row : rows)
        EXPECT_EQ(ZMRClampInt32(row.in), row.out) << row.in;
}
