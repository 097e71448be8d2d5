#pragma once

// Requests and responses of the share API, as ZZ and the application hand
// them to each other. Plain records; one thread at a time.

#include "platform/foundation/Object.h"

#include <optional>
#include <string>

class ZZApiObject;

class ZZBaseReq : public pf::Object {
public:
    int type() const { return m_type; }
    void setType(int type) { m_type = type; }

private:
    int m_type = 0;
};

class ZZBaseResp : public pf::Object {
public:
    const std::optional<std::string>& result() const { return m_result; }
    void setResult(std::optional<std::string> result) { m_result = std::move(result); }
    const std::optional<std::string>& errorDescription() const { return m_errorDescription; }
    void setErrorDescription(std::optional<std::string> text) { m_errorDescription = std::move(text); }
    int type() const { return m_type; }
    void setType(int type) { m_type = type; }
    const std::optional<std::string>& extendInfo() const { return m_extendInfo; }
    void setExtendInfo(std::optional<std::string> info) { m_extendInfo = std::move(info); }

private:
    std::optional<std::string> m_result;
    std::optional<std::string> m_errorDescription;
    int m_type = 0;
    std::optional<std::string> m_extendInfo;
};

class GetMessageFromZZReq final : public ZZBaseReq {
public:
    static std::shared_ptr<GetMessageFromZZReq> req() { return std::make_shared<GetMessageFromZZReq>(); }
};

// A request or response that carries one share object.
template <class Base, int Type> class ZZMessageCarrier : public Base {
public:
    const std::shared_ptr<ZZApiObject>& message() const { return m_message; }
    void setMessage(std::shared_ptr<ZZApiObject> message) { m_message = std::move(message); }

protected:
    template <class T> static std::shared_ptr<T> carrying(std::shared_ptr<ZZApiObject> message)
    {
        auto made = std::make_shared<T>();
        made->setType(Type);
        made->setMessage(std::move(message));
        return made;
    }

private:
    std::shared_ptr<ZZApiObject> m_message;
};

class GetMessageFromZZResp final : public ZZMessageCarrier<ZZBaseResp, 1> {
public:
    static std::shared_ptr<GetMessageFromZZResp> respWithContent(std::shared_ptr<ZZApiObject> message)
    {
        return carrying<GetMessageFromZZResp>(std::move(message));
    }
};

class SendMessageToZZReq final : public ZZMessageCarrier<ZZBaseReq, 1> {
public:
    static std::shared_ptr<SendMessageToZZReq> reqWithContent(std::shared_ptr<ZZApiObject> message)
    {
        return carrying<SendMessageToZZReq>(std::move(message));
    }
};

class ShowMessageFromZZReq final : public ZZMessageCarrier<ZZBaseReq, 2> {
public:
    static std::shared_ptr<ShowMessageFromZZReq> reqWithContent(std::shared_ptr<ZZApiObject> message)
    {
        return carrying<ShowMessageFromZZReq>(std::move(message));
    }
};

class SendMessageToZZResp final : public ZZBaseResp {
public:
    static std::shared_ptr<SendMessageToZZResp> respWithResult(std::optional<std::string> result,
                                                               std::optional<std::string> errorDescription,
                                                               std::optional<std::string> extendInfo)
    {
        auto made = std::make_shared<SendMessageToZZResp>();
        made->setType(2);
        made->setResult(std::move(result));
        made->setErrorDescription(std::move(errorDescription));
        made->setExtendInfo(std::move(extendInfo));
        return made;
    }
};

// Its type stays 0.
class ShowMessageFromZZResp final : public ZZBaseResp {
public:
    static std::shared_ptr<ShowMessageFromZZResp> respWithResult(std::optional<std::string> result,
                                                                 std::optional<std::string> errorDescription)
    {
        auto made = std::make_shared<ShowMessageFromZZResp>();
        made->setResult(std::move(result));
        made->setErrorDescription(std::move(errorDescription));
        return made;
    }
};
