#pragma once

// One message between this app and Natter as a record: a flat dictionary of
// strings (and thumbnail data) with its command, plus the file bytes that
// travel on their own board. Converting an object to a record applies the
// limits (texts of 1 to 10,240 characters, titles 512, descriptions 1024,
// thumbnails 32,768 bytes that decode as pictures, ext info 2048, URLs
// 10,240, files 10,485,760 bytes); a conversion that fails leaves nothing
// worth writing and answers NO.
//
// Records from Natter are read with the same limits and every field with
// its own type: "command" must be decimal digits (else the record has no
// command), "thumbData" data, the others text.
//
// Plain value; any thread, one at a time.

#include "platform/foundation/Forward.h"
#include "sdk/natter/Forward.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class NTAuthInternal;
class NTMediaInternalMessage;
class SendAuthReq;
class SendAuthResp;

class AppCommunicateData {
public:
    AppCommunicateData() = default;
    // The record as read: without a valid "command" only the command (0) is set.
    explicit AppCommunicateData(const pf::DictionaryRef& record);

    // The record itself (null before a conversion).
    const pf::DictionaryRef& propertList() const { return dictionaryData; }

    void initCommonField(std::uint32_t value);
    void MakeCommand(std::uint32_t value) { initCommonField(value); }
    bool ReqToData(const BaseReq& request);
    bool RespToData(const BaseResp& response);
    std::shared_ptr<BaseReq> DataToReq() const;
    std::shared_ptr<BaseResp> DataToResp() const;

    bool MakeTextMessage(const std::optional<std::string>& text);
    std::optional<std::string> textMessage() const;
    bool MakeMediaMessage(const NTMediaMessage& message);
    std::shared_ptr<NTMediaMessage> mediaMessage() const;
    bool MakeLinkObject(const NTMediaObject& media);
    bool MakeAuthRequest(const SendAuthReq& request);
    std::shared_ptr<NTAuthInternal> authRequest() const;
    bool MakeAuthResp(const SendAuthResp& response);
    std::shared_ptr<SendAuthResp> authResp() const;
    bool MakeMediaInternalMessage(const NTMediaInternalMessage& message);
    std::shared_ptr<NTMediaInternalMessage> mediaInternalMessage() const;

    std::uint32_t command = 0;
    pf::DictionaryRef dictionaryData;
    std::optional<pf::Bytes> fileData;
    std::optional<std::string> conversationAccount;
    bool returnFromApp = false;
    std::int32_t result = 1;
    std::int32_t scene = 0;
};
