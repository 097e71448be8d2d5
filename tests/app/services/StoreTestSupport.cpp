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
    pf::ArrayRef services = config->array("services");
    services->add(serviceEntry("ZMRClassifyService", {"IZMRClassifyTask", "IZMRClassifyGetTask", "IKRAPIResponseTask"}));
    services->add(serviceEntry("ZMRConcernService", {"IZMRFollowTask", "IZMRUnFollowTask", "IZMRConcernTask",
                                                     "IZMRRefreshUserTask", "IKRAPIResponseTask"}));
    services->add(serviceEntry("ZMRBooksService", {"IZMRBooksCreateTask", "IZMRBooksSearchTask", "IKRAPIResponseTask"}));
    config->set("app-db", pf::Value(pf::Array::create({"ZMRClassifyObject", "ZMRTagObject"})));
    config->set("user-db", pf::Value(pf::Array::create({"ZMRConcernObject", "ZMRBooksObject"})));
}

void observeStoreNotifications(const std::shared_ptr<int>& observer, std::vector<std::string>& posted)
{
    for (const char* name : {ZMRClassifyChangedNotification, ZMRConcernChangedNotification, ZMRConcernFailedNotification,
                             ZMRBooksChangedNotification})
        pf::NotificationCenter::defaultCenter().addObserver(name, observer, [&posted](const pf::Notification& n) {
            posted.push_back(n.name);
        });
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
    startBus({"IZMRCoinTask"}, addStoreServices);
    observeStoreNotifications(observer, posted);
}

