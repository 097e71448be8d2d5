#pragma once

// Asks the online-status server which ZZ numbers are online and hands the
// answer, number → "YES" or "NO" (ZZOpenApiUtility::dictionaryWithReturnString),
// to its delegate. A failed exchange, or an answer over kMaxAnswerSize or
// not UTF-8, tells the delegate nothing. The connection keeps the task
// alive until it ends; destroying the task cancels it.
//
// Main queue only. The delegate is not retained.

#include "platform/foundation/Value.h"
#include "sdk/zz/ZZApiTask.h"

#include <string>
#include <vector>

namespace pf {
class URLConnection;
}

class ZZApiInterfaceDelegate {
public:
    virtual ~ZZApiInterfaceDelegate() = default;
    virtual void isOnlineResponse(const pf::DictionaryRef&) {}
};

class ZZApiTaskGetZZUinOnlineStatues final : public ZZApiTask {
public:
    static constexpr std::size_t kMaxAnswerSize = 64 * 1024;

    static std::shared_ptr<ZZApiTaskGetZZUinOnlineStatues> initWithZZUins(std::vector<std::string> uins,
                                                                          std::weak_ptr<ZZApiInterfaceDelegate> delegate);
    ZZApiTaskGetZZUinOnlineStatues(std::vector<std::string> uins, std::weak_ptr<ZZApiInterfaceDelegate> delegate)
        : m_uins(std::move(uins)), m_delegate(std::move(delegate))
    {
    }
    ~ZZApiTaskGetZZUinOnlineStatues() override;

    const std::vector<std::string>& ZZUins() const { return m_uins; }

private:
    void main() override;
    void connectionDidReceiveData(const pf::Bytes& data);
    void connectionDidFinishLoading();
    void dropConnection();

    std::vector<std::string> m_uins;
    std::weak_ptr<ZZApiInterfaceDelegate> m_delegate;
    std::shared_ptr<pf::URLConnection> m_connection;
    std::optional<pf::Bytes> m_stringData;
};
