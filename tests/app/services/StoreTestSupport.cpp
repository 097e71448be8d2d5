#include "StoreTestSupport.h"

#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRClassifyService.h"
#include "app/services/ZMRConcernService.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"

void addStoreServices(const pf::DictionaryRef& config)
{
    auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
    pf::ArrayRef services = config->array("services");
    services->add(pf::Dictionary::create(
        {{"class", "ZMRClassifyService"}, {"taskTypes", list({"IZMRClassifyTask", "IZMRClassifyGetTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRConcernService"},
                                          {"taskTypes", list({"IZMRFollowTask", "IZMRUnFollowTask", "IZMRConcernTask",
                                                              "IZMRRefreshUserTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create(
        {{"class", "ZMRBooksService"}, {"taskTypes", list({"IZMRBooksCreateTask", "IZMRBooksSearchTask", "IKRAPIResponseTask"})}}));
    config->set("app-db", list({"ZMRClassifyObject", "ZMRTagObject"}));
    config->set("user-db", list({"ZMRConcernObject", "ZMRBooksObject"}));
}

std::vector<std::string> ownFormItems(const KRHttpFormBody& body)
{
    std::vector<std::string> items;
    for (const std::string& item : formItems(body)) {
        if (item.starts_with("device-"))
            break;
        items.push_back(item);
    }
    return items;
}

std::vector<std::string> dumpRows(const KRDBContextRef& db, const std::string& sql)
{
    std::vector<std::string> rows;
    auto cursor = db ? db->db()->query(sql) : nullptr;
    EXPECT_NE(cursor, nullptr) << sql;
    if (!cursor)
        return rows;
    while (cursor->next()) {
        std::string row;
        for (int i = 0; i < cursor->count(); ++i) {
            auto text = cursor->stringValueAtIndex(i);
            row += (i ? "|" : "") + text.value_or("-");
        }
        rows.push_back(row);
    }
    cursor->close();
    return rows;
}

void StoreBus::SetUp()
{
    AuthBus::SetUp();
    auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
    auto services = pf::Array::create({
        pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", list({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
        pf::Dictionary::create({{"class", "TestRecordingService"}, {"taskTypes", list({"IZMRCoinTask"})}}),
        pf::Dictionary::create({{"class", "TestAPIService"}, {"taskTypes", list({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
    });
    auto config = pf::Dictionary::create({{"services", services}});
    addStoreServices(config);
    shell = ZMRShell::create(config, nullptr);
    recorder->shell = shell;
    for (const char* name : {ZMRClassifyChangedNotification, ZMRConcernChangedNotification, ZMRBooksChangedNotification})
        pf::NotificationCenter::defaultCenter().addObserver(name, observer, [this](const pf::Notification& n) {
            posted.push_back(n.name);
        });
}

std::size_t StoreBus::notifications(const std::string& name) const
{
    std::size_t n = 0;
    for (const auto& p : posted)
        n += p == name;
    return n;
}
