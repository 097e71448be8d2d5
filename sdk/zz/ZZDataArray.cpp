#include "sdk/zz/ZZDataArray.h"

#include "platform/foundation/Collections.h"

pf::Value ZZDataArray::element(const pf::Value& object)
{
    auto data = ZZArchive::archivedData(object);
    return data ? pf::Value::data(std::move(*data)) : pf::Value::null();
}

ZZDataArray::ZZDataArray(const std::vector<pf::Value>& objects)
{
    m_dataArray.reserve(std::max<std::size_t>(4, objects.size()));
    for (const pf::Value& object : objects)
        m_dataArray.push_back(element(object));
}

std::shared_ptr<ZZDataArray> ZZDataArray::arrayWithObjectArray(const std::vector<pf::Value>& objects)
{
    return std::make_shared<ZZDataArray>(objects);
}

std::vector<pf::Value> ZZDataArray::objectArray(std::size_t maxSize) const
{
    std::vector<pf::Value> objects;
    objects.reserve(m_dataArray.size());
    for (const pf::Value& archived : m_dataArray) {
        pf::Value object;
        if (auto data = archived.data())
            object = ZZArchive::unarchive(*data, maxSize);
        objects.push_back(object.isNil() ? pf::Value::null() : object);
    }
    return objects;
}

void ZZDataArray::addObject(const pf::Value& object)
{
    if (!object.isNil())
        m_dataArray.push_back(element(object));
}

bool ZZDataArray::replaceObjectAtIndex(long long index, const pf::Value& object)
{
    if (object.isNil() || index < 0 || static_cast<unsigned long long>(index) >= m_dataArray.size())
        return false;
    m_dataArray[static_cast<std::size_t>(index)] = element(object);
    return true;
}

bool ZZDataArray::removeObjectAtIndex(long long index)
{
    if (index < 0 || static_cast<unsigned long long>(index) >= m_dataArray.size())
        return false;
    m_dataArray.erase(m_dataArray.begin() + index);
    return true;
}

pf::DictionaryRef ZZDataArray::archiveDictionary() const
{
    auto array = pf::Array::create();
    array->reserve(m_dataArray.size());
    for (const pf::Value& element : m_dataArray)
        array->add(element);
    return pf::Dictionary::create({ { ZZArchive::kClassKey, "ZZDataArray" }, { "array", array } });
}

std::shared_ptr<ZZDataArray> ZZDataArray::decode(const pf::Dictionary& fields)
{
    auto list = std::make_shared<ZZDataArray>();
    if (auto array = fields.array("array")) {
        list->m_dataArray.reserve(array->count());
        for (const pf::Value& element : *array)
            list->m_dataArray.push_back(element.isData() ? element : pf::Value::null());
    }
    return list;
}
