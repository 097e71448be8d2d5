#include "app/services/ZMRStoreRegistration.h"

#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRClassifyService.h"
#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRConcernService.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"

void registerStoreClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    pf::ClassBuilder<ZMRClassifyObject>("ZMRClassifyObject")
        .superclass<KRDBObject>()
        .property("title", &ZMRClassifyObject::title, &ZMRClassifyObject::setTitle)
        .property("cid", &ZMRClassifyObject::cid, &ZMRClassifyObject::setCid)
        .property("timestamp", &ZMRClassifyObject::timestamp, &ZMRClassifyObject::setTimestamp)
        .commit();
    pf::ClassBuilder<ZMRTagObject>("ZMRTagObject")
        .superclass<KRDBObject>()
        .property("tid", &ZMRTagObject::tid, &ZMRTagObject::setTid)
        .property("tag", &ZMRTagObject::tag, &ZMRTagObject::setTag)
        .property("weight", &ZMRTagObject::weight, &ZMRTagObject::setWeight)
        .property("timestamp", &ZMRTagObject::timestamp, &ZMRTagObject::setTimestamp)
        .commit();
    pf::ClassBuilder<ZMRClassifyService>("ZMRClassifyService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRConcernObject>("ZMRConcernObject")
        .superclass<KRDBObject>()
        .property("uid", &ZMRConcernObject::uid, &ZMRConcernObject::setUid)
        .property("nick", &ZMRConcernObject::nick, &ZMRConcernObject::setNick)
        .property("logo", &ZMRConcernObject::logo, &ZMRConcernObject::setLogo)
        .property("version", &ZMRConcernObject::version, &ZMRConcernObject::setVersion)
        .property("py", &ZMRConcernObject::py, &ZMRConcernObject::setPy)
        .property("mutual", &ZMRConcernObject::isMutual, &ZMRConcernObject::setMutual)
        .commit();
    pf::ClassBuilder<ZMRBooksObject>("ZMRBooksObject")
        .superclass<KRDBObject>()
        .property("bid", &ZMRBooksObject::bid, &ZMRBooksObject::setBid)
        .property("payMoney", &ZMRBooksObject::payMoney, &ZMRBooksObject::setPayMoney)
        .property("expendMoney", &ZMRBooksObject::expendMoney, &ZMRBooksObject::setExpendMoney)
        .property("shopTitle", &ZMRBooksObject::shopTitle, &ZMRBooksObject::setShopTitle)
        .property("shopAddress", &ZMRBooksObject::shopAddress, &ZMRBooksObject::setShopAddress)
        .property("remark", &ZMRBooksObject::remark, &ZMRBooksObject::setRemark)
        .property("latitude", &ZMRBooksObject::latitude, &ZMRBooksObject::setLatitude)
        .property("longitude", &ZMRBooksObject::longitude, &ZMRBooksObject::setLongitude)
        .property("timestamp", &ZMRBooksObject::timestamp, &ZMRBooksObject::setTimestamp)
        .property("cids", &ZMRBooksObject::cids, &ZMRBooksObject::setCids)
        .commit();
    pf::ClassBuilder<ZMRBooksService>("ZMRBooksService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRConcernService>("ZMRConcernService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
}
