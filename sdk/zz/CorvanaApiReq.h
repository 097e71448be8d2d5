#pragma once

// A request that the ZZ or Plaza app sends the application (asking it for
// content), and the application's answer. Requests exist only as decoded
// from a Corvana app's archive; answers are made from them. Platforms: 0 ZZ,
// 1 Plaza. Both archive as a dictionary of their wire keys plus the class
// name (ZZArchive.h). One thread at a time.

#include "platform/foundation/Object.h"

#include <optional>
#include <string>
#include <vector>

class CorvanaBaseMessageObj;

class CorvanaApiReq final : public pf::Object {
public:
    // Only a Corvana app makes requests: these answer nothing.
    static std::shared_ptr<CorvanaApiReq> reqFromSeq(int, int) { return nullptr; }
    static std::shared_ptr<CorvanaApiReq> initWithData(const pf::Bytes&, int) { return nullptr; }

    int nMessageType() const { return m_nMessageType; }
    int nPlatform() const { return m_nPlatform; }
    int nSdkVersion() const { return m_nSdkVersion; }
    int nSeq() const { return m_nSeq; }
    const std::vector<std::shared_ptr<CorvanaBaseMessageObj>>& arrMessage() const { return m_arrMessage; }
    void setArrMessage(std::vector<std::shared_ptr<CorvanaBaseMessageObj>> messages) { m_arrMessage = std::move(messages); }
    const std::optional<std::string>& sAppID() const { return m_sAppID; }
    void setSAppID(std::optional<std::string> appId) { m_sAppID = std::move(appId); }
    const std::optional<std::string>& sDescription() const { return m_sDescription; }
    void setSDescription(std::optional<std::string> text) { m_sDescription = std::move(text); }

    // "nMessageType", "nPlatform", "nSdkVersion", "nSeq", "arrMessage",
    // "sAppID", "description".
    pf::DictionaryRef encode() const;
    // Fields of the wrong type keep their defaults; content objects outside
    // the table are left out of arrMessage.
    static std::shared_ptr<CorvanaApiReq> decode(const pf::Dictionary& fields);

private:
    int m_nMessageType = 0;
    int m_nPlatform = 0;
    int m_nSdkVersion = 0;
    int m_nSeq = 0;
    std::vector<std::shared_ptr<CorvanaBaseMessageObj>> m_arrMessage;
    std::optional<std::string> m_sAppID;
    std::optional<std::string> m_sDescription;
};

class CorvanaApiResp final : public pf::Object {
public:
    // A response with nRetCode 0 for the request; null, with a log line, for
    // anything that is not a request.
    static std::shared_ptr<CorvanaApiResp> respFromReq(const pf::Value& request);

    int nRetCode() const { return m_nRetCode; }
    void setNRetCode(int code) { m_nRetCode = code; }
    const std::optional<std::string>& sRetMsg() const { return m_sRetMsg; }
    void setSRetMsg(std::optional<std::string> message) { m_sRetMsg = std::move(message); }
    const std::shared_ptr<CorvanaApiReq>& objReq() const { return m_objReq; }
    void setObjReq(std::shared_ptr<CorvanaApiReq> request) { m_objReq = std::move(request); }

    // "nRetCode", "sRetMsg", "objReq".
    pf::DictionaryRef encode() const;
    static std::shared_ptr<CorvanaApiResp> decode(const pf::Dictionary& fields);

private:
    int m_nRetCode = 0;
    std::optional<std::string> m_sRetMsg;
    std::shared_ptr<CorvanaApiReq> m_objReq;
};
