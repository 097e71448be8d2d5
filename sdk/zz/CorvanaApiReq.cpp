#include "sdk/zz/CorvanaApiReq.h"

#include "platform/foundation/Collections.h"
#include "sdk/zz/CorvanaMessageObj.h"
#include "sdk/zz/ZZApiLog.h"
#include "sdk/zz/ZZArchive.h"

using namespace ZZArchive;

pf::DictionaryRef CorvanaApiReq::encode() const
{
    auto messages = pf::Array::create();
    for (const auto& message : m_arrMessage)
        if (message)
            messages->add(message->encode());
    auto fields = pf::Dictionary::create({ { kClassKey, "CorvanaApiReq" }, { "nMessageType", m_nMessageType },
                                           { "nPlatform", m_nPlatform }, { "nSdkVersion", m_nSdkVersion },
                                           { "nSeq", m_nSeq }, { "arrMessage", messages } });
    if (m_sAppID)
        fields->set("sAppID", *m_sAppID);
    if (m_sDescription)
        fields->set("description", *m_sDescription);
    return fields;
}

std::shared_ptr<CorvanaApiReq> CorvanaApiReq::decode(const pf::Dictionary& fields)
{
    auto request = std::make_shared<CorvanaApiReq>();
    request->m_nMessageType = intField(fields, "nMessageType");
    request->m_nPlatform = intField(fields, "nPlatform");
    request->m_nSdkVersion = intField(fields, "nSdkVersion");
    request->m_nSeq = intField(fields, "nSeq");
    if (auto messages = fields.array("arrMessage"))
        for (const pf::Value& message : *messages)
            if (auto content = corvanaDecodeContent(message))
                request->m_arrMessage.push_back(std::move(content));
    request->m_sAppID = textField(fields, "sAppID");
    request->m_sDescription = textField(fields, "description");
    return request;
}

std::shared_ptr<CorvanaApiResp> CorvanaApiResp::respFromReq(const pf::Value& request)
{
    auto req = request.objectAs<CorvanaApiReq>();
    if (!req) {
        ZZApiLog(__FILE__, __LINE__, "CorvanaApiResp init error: req is not CorvanaApiReq class or subClass");
        return nullptr;
    }
    auto response = std::make_shared<CorvanaApiResp>();
    response->m_objReq = std::move(req);
    return response;
}

pf::DictionaryRef CorvanaApiResp::encode() const
{
    auto fields = pf::Dictionary::create({ { kClassKey, "CorvanaApiResp" }, { "nRetCode", m_nRetCode } });
    if (m_sRetMsg)
        fields->set("sRetMsg", *m_sRetMsg);
    if (m_objReq)
        fields->set("objReq", m_objReq->encode());
    return fields;
}

std::shared_ptr<CorvanaApiResp> CorvanaApiResp::decode(const pf::Dictionary& fields)
{
    auto response = std::make_shared<CorvanaApiResp>();
    response->m_nRetCode = intField(fields, "nRetCode");
    response->m_sRetMsg = textField(fields, "sRetMsg");
    if (auto request = fields.dictionary("objReq"); request && request->string(kClassKey) == "CorvanaApiReq")
        response->m_objReq = CorvanaApiReq::decode(*request);
    return response;
}
