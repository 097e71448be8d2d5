#include "sdk/zz/CorvanaDataMgr.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ValueTypeName.h"

namespace {

std::optional<std::string> classPart(const std::optional<std::string>& key)
{
    if (!key)
        return std::nullopt;
    auto underscore = key->rfind('_');
    if (underscore == std::string::npos || underscore == 0)
        return std::nullopt;
    return key->substr(0, underscore);
}

}

CorvanaDataMgr& CorvanaDataMgr::getInstance()
{
    static CorvanaDataMgr instance;
    return instance;
}

std::string CorvanaDataMgr::className(const pf::Value& object) { return pf::valueTypeName(object); }

std::optional<std::string> CorvanaDataMgr::addObjectInDataMgr(const pf::Value& object)
{
    PF_ASSERT_MAIN_THREAD();
    if (!pf::KeyedArchiver::archivedDataWithRootObject(object))
        return std::nullopt;
    std::string name = className(object);
    Shelf& shelf = m_dataDic[name];
    std::string key = name + "_" + std::to_string(shelf.next++);
    shelf.objects[key] = object;
    return key;
}

pf::Value CorvanaDataMgr::objByKey(const std::optional<std::string>& key) const
{
    auto name = classPart(key);
    if (!name)
        return {};
    auto shelf = m_dataDic.find(*name);
    if (shelf == m_dataDic.end())
        return {};
    auto found = shelf->second.objects.find(*key);
    return found == shelf->second.objects.end() ? pf::Value() : found->second;
}

bool CorvanaDataMgr::removeKeyFromDataMgr(const std::optional<std::string>& key)
{
    auto name = classPart(key);
    if (!name)
        return false;
    if (auto shelf = m_dataDic.find(*name); shelf != m_dataDic.end())
        shelf->second.objects.erase(*key);
    return true;
}

std::uint32_t CorvanaDataMgr::objSize(const std::optional<std::string>& key) const
{
    pf::Value object = objByKey(key);
    if (object.isNil())
        return 0;
    auto archive = pf::KeyedArchiver::archivedDataWithRootObject(object);
    return archive ? static_cast<std::uint32_t>(archive->size()) : 0;
}

std::optional<std::string> CorvanaDataMgr::addObjectInPastboard(const std::optional<std::string>& key)
{
    pf::Value object = objByKey(key);
    if (object.isNil())
        return std::nullopt;
    auto archive = pf::KeyedArchiver::archivedDataWithRootObject(object);
    auto board = pf::Pasteboard::general();
    if (!archive || !board)
        return std::nullopt;
    std::string type = kPasteboardTypePrefix + *key;
    board->setData(*archive, type);
    return type;
}
