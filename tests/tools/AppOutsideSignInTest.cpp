// The application server's Voxly and ZZ sign-ins and bindings against the
// real stand-ins: an account is the person the provider names, whichever
// grant or road its token came by; a token no provider vouches for, or no
// usable answer, makes and changes nothing.

#include "tests/app/services/StandInProviders.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"
#include "tests/tools/JsonMember.h"
#include "tools/testserver/FaultServer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <unistd.h>

namespace {

using zmr::test::member;

const std::string kOrigin = "http://127.0.0.1:1234";
const std::string kApp = "101452831";

std::shared_ptr<zmr::AppStore> openStore(const std::string& path = ":memory:")
{
    std::unique_ptr<zmr::AppStore> made;
    auto error = zmr::AppStore::open(path, made);
    EXPECT_FALSE(error) << *error;
    return std::shared_ptr<zmr::AppStore>(std::move(made));
}

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A sign-in (no `uid`) or, for `uid`, a binding with `token`.
std::string sendToken(zmr::AppServer& server, zmr::AppStore& store, const std::string& kind, const std::string& token,
                 std::optional<long long> uid = std::nullopt)
{
    std::string task = kind == "zz" ? "ZZ" : "Voxly";
    std::string form = "config=config_zmr&taskType=ZMR" + task + (uid ? "BindTask&zmr-etoken=" : "LoginTask&zmr-token=") + token;
    if (uid)
        form += "&auth-uid=" + std::to_string(*uid) + "&auth-token=" + store.issueToken(*uid).value_or("");
    return server.answer(form, kOrigin);
}

}

TEST(OutsideSignIn, AnAccountIsThePersonTheProviderNamesWhicheverTokenComes)
{
    ASSERT_TRUE(standInProviders().isRunning());
    auto store = openStore();
    ASSERT_TRUE(store && store->seedDemo());
    zmr::AppServer server(store, standInProviders().settings());
    const std::string firstGrant = zmr::VoxlyWebServer::freshToken(), lastGrant = zmr::VoxlyWebServer::freshToken();
    constexpr long long kNew = -1; // a new account, kept as `made`
    long long made = 0;
    struct Row {
        const char* name;
        std::optional<long long> binder; // else a sign-in
        const char* kind;
        std::string token;
        long long code;
        long long auth; // with code 0
        const char* error = "";
    } rows[] = {
        {"demo binds Voxly", 10001, "voxly", firstGrant, 0, 10001},
        {"another grant signs demo in", std::nullopt, "voxly", zmr::VoxlyWebServer::freshToken(), 0, 10001},
        {"and another", std::nullopt, "voxly", lastGrant, 0, 10001},
        {"the ZZ login page's token makes the ZZ person's account", std::nullopt, "zz", zmr::ZZServer::tokenFor(kApp), 0, kNew},
        {"the ZZ app's token is that person's", std::nullopt, "zz", zmr::ZZServer::appTokenFor(kApp), 0, kNew},
        {"and ZZ Browser's", std::nullopt, "zz", zmr::ZZServer::browserTokenFor(kApp), 0, kNew},
        {"the account binds its own person again", kNew, "zz", zmr::ZZServer::tokenFor(kApp), 0, kNew},
        {"demo cannot bind the ZZ person another account holds", 10001, "zz", zmr::ZZServer::appTokenFor(kApp), 15367, 0,
         "该ZZ账号已绑定其他账户"},
        {"anqi cannot bind demo's Voxly person", 10002, "voxly", zmr::VoxlyWebServer::freshToken(), 15367, 0,
         "该Voxly账号已绑定其他账户"},
        {"a Voxly token no one issued", std::nullopt, "voxly", "2.00made-up", 15362, 0, "登录凭证验证失败，请重新登录"},
        {"a ZZ token no one issued", std::nullopt, "zz", "zz-made-up", 15362, 0, "登录凭证验证失败，请重新登录"},
        {"no token", std::nullopt, "zz", "", 15362, 0, "登录凭证验证失败，请重新登录"},
        {"a token too long to be one", std::nullopt, "voxly", std::string(5000, 'v'), 15362, 0, "登录凭证验证失败，请重新登录"},
        {"a binding of a token no one issued", 10002, "zz", "ZZX" + kApp, 15362, 0, "登录凭证验证失败，请重新登录"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<long long> binder = row.binder == kNew ? std::optional(made) : row.binder;
        std::string answer = sendToken(server, *store, row.kind, row.token, binder);
        ASSERT_EQ(member(answer, "error-code"), std::to_string(row.code)) << answer;
        if (row.code != 0) {
            EXPECT_EQ(member(answer, "error"), "\"" + std::string(row.error) + "\"");
            continue;
        }
        long long auth = std::stoll(member(answer, "auth"));
        if (row.auth == kNew && made == 0)
            made = auth;
        EXPECT_EQ(auth, row.auth == kNew ? made : row.auth);
        EXPECT_NE(answer.find("{\"token\":\"" + row.token + "\"}"), std::string::npos) << "the last token is kept: " << answer;
        for (const char* key : {"\"uid\":", "\"nick\":", "\"account\":"})
            EXPECT_EQ(occurrences(answer, key), 1u) << key << " in " << answer;
    }
    ASSERT_GT(made, 10013);
    auto demo = store->user(10001);
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->voxlyToken, lastGrant);
    EXPECT_FALSE(demo->zzToken) << "a refused binding changes nothing";
    auto anqi = store->user(10002);
    ASSERT_TRUE(anqi);
    EXPECT_FALSE(anqi->voxlyToken);
    EXPECT_FALSE(anqi->zzToken);
    auto zz = store->user(made);
    ASSERT_TRUE(zz);
    EXPECT_EQ(zz->zzToken, zmr::ZZServer::tokenFor(kApp));
    EXPECT_FALSE(store->user(made + 1)) << "a refused sign-in makes nobody";
}

// Whatever stands between the server and its answer, the token is refused
// as unknown (no provider at all says so), and nobody is made or changed.
TEST(OutsideSignIn, WithoutAUsableAnswerNothingIsMadeOrChanged)
{
    ASSERT_TRUE(standInProviders().isRunning());
    std::string stopped;
    {
        zmr::FaultServer gone;
        stopped = gone.url("");
    }
    zmr::FaultServer faulty;
    ASSERT_TRUE(faulty.isRunning());
    std::string otherCA = (std::filesystem::temp_directory_path() / ("zmr-zz-ca-" + std::to_string(getpid()) + ".pem")).string();
    ASSERT_TRUE(standInProviders().zz.writeCA(otherCA));
    struct Row {
        const char* name;
        std::string voxly; // the Voxly web servers' address
        std::function<void()> fault;
        long long code;
        const char* error;
        std::string caFile = standInProviders().caFile;
    } rows[] = {
        {"no Voxly server given", "", nullptr, 15368, "服务器未接入Voxly，无法用Voxly登录或绑定"},
        {"nothing listens", stopped, nullptr, 15362, "登录凭证验证失败，请重新登录"},
        {"a server that never answers", faulty.url(""), [&] { faulty.setFault(zmr::FaultServer::Fault::Silent); }, 15362,
         "登录凭证验证失败，请重新登录"},
        {"an answer cut short", faulty.url(""), [&] { faulty.setFault(zmr::FaultServer::Fault::CutAnswer); }, 15362,
         "登录凭证验证失败，请重新登录"},
        {"an endless answer", faulty.url(""), [&] { faulty.setFault(zmr::FaultServer::Fault::Oversized); }, 15362,
         "登录凭证验证失败，请重新登录"},
        {"a server failure", faulty.url(""), [&] { faulty.setFault(zmr::FaultServer::Fault::None), faulty.setReply(500, "{}"); },
         15362, "登录凭证验证失败，请重新登录"},
        {"a page, not an answer", faulty.url(""), [&] { faulty.setReply(200, "<html>uid</html>"); }, 15362,
         "登录凭证验证失败，请重新登录"},
        {"an answer without the uid", faulty.url(""), [&] { faulty.setReply(200, R"({"uid":{"id":1},"scope":""})"); }, 15362,
         "登录凭证验证失败，请重新登录"},
        {"a server the CA does not vouch for", standInProviders().voxly.origin(), nullptr, 15362, "登录凭证验证失败，请重新登录",
         otherCA},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto store = openStore();
        zmr::AppUser demo;
        ASSERT_EQ(store->addUser("demo", "demo-password", "演示用户", demo), zmr::AppStore::Outcome::Ok);
        if (row.fault)
            row.fault();
        zmr::AppServer server(store, {"", row.voxly, row.caFile, 1, 1});
        const std::string token = zmr::VoxlyWebServer::freshToken();
        for (std::optional<long long> binder : {std::optional<long long>(), std::optional(demo.uid)}) {
            std::string answer = sendToken(server, *store, "voxly", token, binder);
            EXPECT_EQ(member(answer, "error-code"), std::to_string(row.code)) << answer;
            EXPECT_EQ(member(answer, "error"), "\"" + std::string(row.error) + "\"");
        }
        EXPECT_FALSE(store->user(demo.uid + 1)) << "nobody made";
        EXPECT_FALSE(store->user(demo.uid)->voxlyToken) << "nothing bound";
    }
    std::filesystem::remove(otherCA);
}

// A file of the layout before persons were kept: each outside account there
// holds a token. The person behind that very token takes it over, and from
// then on comes back to it by any grant or road; the file is kept.
TEST(OutsideSignIn, AnOlderFilesAccountsAreTheirPeoplesOnceTheirTokenComesBack)
{
    ASSERT_TRUE(standInProviders().isRunning());
    std::string path = (std::filesystem::temp_directory_path() / ("zmr-tokens-" + std::to_string(getpid()) + ".db")).string();
    const std::string oldVoxly = zmr::VoxlyWebServer::freshToken();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    std::string sql = "CREATE TABLE users (uid INTEGER PRIMARY KEY AUTOINCREMENT, account TEXT UNIQUE, salt TEXT,"
                      " password TEXT, nick TEXT UNIQUE, voxly TEXT UNIQUE, zz TEXT UNIQUE, logo TEXT NOT NULL DEFAULT '',"
                      " latitude REAL NOT NULL DEFAULT 0, longitude REAL NOT NULL DEFAULT 0, points INTEGER NOT NULL DEFAULT 0,"
                      " age INTEGER NOT NULL DEFAULT 0, constellation TEXT NOT NULL DEFAULT '', job TEXT NOT NULL DEFAULT '',"
                      " city TEXT NOT NULL DEFAULT '');"
                      "INSERT INTO users (uid, account, nick, zz) VALUES (10020, 'zz_1a2b', '老朋友', '" + zmr::ZZServer::tokenFor(kApp) + "');"
                      "INSERT INTO users (uid, account, nick, voxly) VALUES (10021, 'voxly_3c4d', '老邻居', '" + oldVoxly + "');"
                      "PRAGMA user_version = 2;";
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    {
        auto store = openStore(path);
        ASSERT_TRUE(store);
        zmr::AppServer server(store, standInProviders().settings());
        struct Row {
            const char* kind;
            std::string token;
            long long auth;
        } rows[] = {
            {"zz", zmr::ZZServer::tokenFor(kApp), 10020},
            {"zz", zmr::ZZServer::appTokenFor(kApp), 10020},
            {"voxly", oldVoxly, 10021},
            {"voxly", zmr::VoxlyWebServer::freshToken(), 10021},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.token);
            std::string answer = sendToken(server, *store, row.kind, row.token);
            EXPECT_EQ(member(answer, "auth"), std::to_string(row.auth)) << answer;
        }
        EXPECT_EQ(store->user(10020)->nick, "老朋友");
        EXPECT_EQ(store->user(10021)->nick, "老邻居");
    }
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);
}
