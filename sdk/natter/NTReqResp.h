#pragma once

// The requests and responses exchanged with Natter through NTApi. Plain
// values; every field starts nil, NO or 0 (a response's errCode 0).

#include "platform/foundation/Value.h"
#include "sdk/natter/Forward.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class BaseReq {
public:
    virtual ~BaseReq() = default;
    std::int32_t type = 0;
};

class BaseResp {
public:
    virtual ~BaseResp() = default;
    std::int32_t errCode = 0;
    std::optional<std::string> errStr;
    std::int32_t type = 0;
};

// A share: plain text when bText, else the media message; `scene` is the
// target the caller chose (a friend or the timeline).
class SendMessageToNTReq final : public BaseReq {
public:
    std::optional<std::string> text;
    std::shared_ptr<NTMediaMessage> message;
    bool bText = false;
    std::int32_t scene = 0;
};

class SendMessageToNTResp final : public BaseResp {};

class SendAuthReq final : public BaseReq {
public:
    std::optional<std::string> scope, state;
};

class SendAuthResp final : public BaseResp {
public:
    std::optional<std::string> userName, token;
    std::optional<pf::Date> expireDate;
    std::optional<std::string> state;
};

class GetMessageFromNTReq final : public BaseReq {};

class GetMessageFromNTResp final : public BaseResp {
public:
    std::optional<std::string> text;
    std::shared_ptr<NTMediaMessage> message;
    bool bText = false;
};

class ShowMessageFromNTReq final : public BaseReq {
public:
    std::shared_ptr<NTMediaMessage> message;
};

class ShowMessageFromNTResp final : public BaseResp {};
