#pragma once

// The outcome of one API call: retCode 0 for success and 1 for failure, the
// SDK code once known (detailRetCode), the message, the answer's dictionary
// and its text, and the caller's user data. Archivable, because the ZZ and
// Plaza apps hand answers back as archives; userData is not archived.
// A plain record; one thread at a time.

#include "platform/foundation/Object.h"

#include <optional>
#include <string>

class APIResponse : public pf::Object {
public:
    int detailRetCode() const { return m_detailRetCode; }
    void setDetailRetCode(int code) { m_detailRetCode = code; }
    int retCode() const { return m_retCode; }
    void setRetCode(int code) { m_retCode = code; }
    int seq() const { return m_seq; }
    void setSeq(int seq) { m_seq = seq; }
    const std::optional<std::string>& errorMsg() const { return m_errorMsg; }
    void setErrorMsg(std::optional<std::string> message) { m_errorMsg = std::move(message); }
    const pf::DictionaryRef& jsonResponse() const { return m_jsonResponse; }
    void setJsonResponse(pf::DictionaryRef json) { m_jsonResponse = std::move(json); }
    const std::optional<std::string>& message() const { return m_message; }
    void setMessage(std::optional<std::string> message) { m_message = std::move(message); }
    const pf::Value& userData() const { return m_userData; }
    void setUserData(pf::Value userData) { m_userData = std::move(userData); }

    // The fields under "detailRetCode", "retCode", "seq" (integers) and
    // "errorMsg", "jsonResponse", "message" (each only when set).
    pf::DictionaryRef encode() const;
    // Null unless the value is such a dictionary; fields of the wrong type
    // are left at their defaults.
    static std::shared_ptr<APIResponse> decode(const pf::Value& archived);
    // The keyed archive of encode(), and back.
    std::optional<pf::Bytes> archivedData() const;
    static std::shared_ptr<APIResponse> unarchive(const pf::Bytes& data);

private:
    int m_detailRetCode = 0;
    int m_retCode = 0;
    int m_seq = 0;
    std::optional<std::string> m_errorMsg;
    pf::DictionaryRef m_jsonResponse;
    std::optional<std::string> m_message;
    pf::Value m_userData;
};
