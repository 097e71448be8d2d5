#pragma once

// The share tasks that fix up a link share before the message goes back to
// the scripts: the upload task shrinks a preview picture given as data and
// uploads it to the ZZ Connect server to learn its URL, the download task
// fetches a preview given by URL. Whatever happens (answer, failure,
// time-out) the message is handed to the scripts again with the preview it
// has by then; failures never reach the user.
//
// At most one task runs at a time in the process: a task takes the running
// slot when it starts and gives it back when it is destroyed; a task
// started while the slot is taken does nothing. A task keeps itself alive
// while its time-out is pending, so its creator may drop it after
// postOnMainThread(); it goes once the message is resent.
//
// Main queue only (the slot is an atomic compare-and-swap).

#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "sdk/zz/CorvanaRequest.h"

#include <memory>

class ZZApiMessage;

class ZZApiTask : public pf::Object {
public:
    ~ZZApiTask() override;

    // Runs internalMain() on a later turn of the main loop.
    void postOnMainThread();
    // Runs main() when no task is running, taking the slot.
    void internalMain();
    virtual void cancel() {}
    static bool isTaskRunning();

    // How long a preview task waits for its server (5 s); tests shorten it.
    static pf::Seconds timeoutInterval();
    static void setTimeoutInterval(pf::Seconds interval);

protected:
    ZZApiTask() = default;
    virtual void main() = 0;
    virtual void onTimeout() {}
    // onTimeout() after the interval unless cancelled first; the task stays
    // alive until then.
    void scheduleTimeout();
    void cancelPreviousPerformRequests();

private:
    pf::TimerRef m_timeout;
    std::shared_ptr<ZZApiTask> m_pending; // itself, while the time-out is pending
};

// The shared part of the two preview tasks: the message and its exchange,
// and the resend.
class ZZApiPreviewTask : public ZZApiTask, public CorvanaRequestDelegate {
public:
    const std::shared_ptr<ZZApiMessage>& urlMsg() const { return m_urlMsg; }
    const std::shared_ptr<CorvanaRequest>& request() const { return m_request; }

    void requestDidFailWithError(CorvanaRequest&, const CorvanaError&) override { resendShareMessage(); }

protected:
    explicit ZZApiPreviewTask(std::shared_ptr<ZZApiMessage> message) : m_urlMsg(std::move(message)) {}
    void startRequest(const pf::DictionaryRef& params, const std::string& method, const std::string& url);
    void stopRequest();
    void onTimeout() override;
    // Hands a link message to the scripts again with this task attached,
    // then lets go of it and of the pending time-out.
    void resendShareMessage();

    std::shared_ptr<ZZApiMessage> m_urlMsg;
    std::shared_ptr<CorvanaRequest> m_request;
};

class ZZApiTaskUploadURLObjectPreviewData final : public ZZApiPreviewTask {
public:
    static constexpr const char* kUploadPath = "/zzconnectopen/upload_share_image";
    static constexpr double kPreviewSide = 140;

    static std::shared_ptr<ZZApiTaskUploadURLObjectPreviewData> initWithURLMessage(std::shared_ptr<ZZApiMessage> message);
    // The answer's "result" "url" becomes the preview's URL.
    void requestDidLoad(CorvanaRequest&, const pf::Value& result, const pf::Bytes&) override;

    explicit ZZApiTaskUploadURLObjectPreviewData(std::shared_ptr<ZZApiMessage> message)
        : ZZApiPreviewTask(std::move(message))
    {
    }

private:
    // Only a link with preview data: a preview that does not decode or
    // cannot be shrunk is dropped and the message resent at once.
    void main() override;
};

class ZZApiTaskDownloadURLObjectPreviewData final : public ZZApiPreviewTask {
public:
    // A preview is a thumbnail: a longer answer is stopped there.
    static constexpr std::size_t kMaxPreviewSize = 1048576;

    static std::shared_ptr<ZZApiTaskDownloadURLObjectPreviewData> initWithURLMessage(std::shared_ptr<ZZApiMessage> message);
    // Bytes that make a picture become the preview data.
    void requestDidLoadRawResponse(CorvanaRequest&, const pf::Bytes& data) override;
    void requestDidLoad(CorvanaRequest&, const pf::Value&, const pf::Bytes&) override { resendShareMessage(); }
    void requestDidWriteData(CorvanaRequest&, std::int64_t, std::int64_t total, std::int64_t expected) override;

    explicit ZZApiTaskDownloadURLObjectPreviewData(std::shared_ptr<ZZApiMessage> message)
        : ZZApiPreviewTask(std::move(message))
    {
    }

private:
    // Only a link with a preview URL.
    void main() override;
};
