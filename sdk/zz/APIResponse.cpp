#include "sdk/zz/APIResponse.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"

#include <limits>

namespace {

int integerField(const pf::Value& value)
{
    const pf::Number* number = value.number();
    if (!number || !number->isInteger())
        return 0;
    long long n = number->asLongLong();
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(n);
}

}

pf::DictionaryRef APIResponse::encode() const
{
    auto archived = pf::Dictionary::create({
        { "detailRetCode", m_detailRetCode },
        { "retCode", m_retCode },
        { "seq", m_seq },
    });
    if (m_errorMsg)
        archived->set("errorMsg", *m_errorMsg);
    if (m_jsonResponse)
        archived->set("jsonResponse", m_jsonResponse);
    if (m_message)
        archived->set("message", *m_message);
    return archived;
}

std::shared_ptr<APIResponse> APIResponse::decode(const pf::Value& archived)
{
    auto fields = archived.dictionary();
    if (!fields)
        return nullptr;
    auto response = std::make_shared<APIResponse>();
    response->m_detailRetCode = integerField(fields->get("detailRetCode"));
    response->m_retCode = integerField(fields->get("retCode"));
    response->m_seq = integerField(fields->get("seq"));
    response->m_errorMsg = fields->get("errorMsg").isString() ? fields->get("errorMsg").stringValue() : std::nullopt;
    response->m_jsonResponse = fields->get("jsonResponse").dictionary();
    response->m_message = fields->get("message").isString() ? fields->get("message").stringValue() : std::nullopt;
    return response;
}

std::optional<pf::Bytes> APIResponse::archivedData() const
{
    return pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(encode()));
}

std::shared_ptr<APIResponse> APIResponse::unarchive(const pf::Bytes& data)
{
    auto root = pf::KeyedUnarchiver::unarchiveObjectWithData(data, pf::KeyedUnarchiver::valueClasses());
    return root ? decode(*root) : nullptr;
}
