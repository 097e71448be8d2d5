#include "app/screens/feed/ZMRFeedLikeTask.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "platform/foundation/Collections.h"

#include <algorithm>
#include <climits>

namespace {

constexpr const char* kToggleKey = "__likeToggle__";

}

long long ZMRFeedCount(const pf::Value& count)
{
    return std::max(0LL, ZMRIntegerValue(count));
}

bool ZMRToggleLike(const pf::DictionaryRef& entry, IKRUIContext& context, std::weak_ptr<IKRUplinkTaskDelegate> redraw,
                   pf::Value indexPath)
{
    const bool liked = entry->get("liked").boolValue();
    const long long count = ZMRFeedCount(entry->get("likedCount"));
    std::shared_ptr<ZMRLikeTask> task;
    ZMRLikeRollback* rollback;
    if (liked) {
        auto unlike = std::make_shared<ZMRFeedUnLikeTask>();
        rollback = unlike.get();
        task = unlike;
    } else {
        auto like = std::make_shared<ZMRFeedLikeTask>();
        rollback = like.get();
        task = like;
    }
    rollback->m_entry = entry;
    rollback->m_redraw = std::move(redraw);
    // Wraps rather than overflows: a server entry may bring the key at any
    // value, and only the counter's difference from the last toggle counts.
    rollback->m_toggle = static_cast<long long>(static_cast<unsigned long long>(entry->get(kToggleKey).longLongValue()) + 1);
    rollback->m_liked = entry->get("liked");
    rollback->m_likedCount = entry->get("likedCount");
    // The task hears its own outcome: it lives as long as its request does.
    task->setDelegate(std::shared_ptr<IKRUplinkTaskDelegate>(task, rollback));
    task->setPid(entry->get("pid").longLongValue());
    task->setIndexPath(std::move(indexPath));

    entry->set(kToggleKey, rollback->m_toggle);
    entry->set("likedCount", liked ? std::max(0LL, count - 1) : count + (count < LLONG_MAX));
    entry->set("liked", !liked);
    context.handle(liked ? proto::IZMRUnLikeTask() : proto::IZMRLikeTask(), task, 0);
    return !liked;
}

void ZMRLikeRollback::krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                                    const pf::Protocol* taskType)
{
    if (auto redraw = m_redraw.lock())
        redraw->krUploadTaskDidSuccessResults(task, results, taskType);
}

void ZMRLikeRollback::krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                                   const pf::Protocol* taskType)
{
    if (!m_entry || m_entry->get(kToggleKey).longLongValue() != m_toggle)
        return; // a later toggle decides what the entry shows
    // The server may have kept it: the entry shows it until loaded again.
    if (error.code != ZMRResultUnknownCode) {
        if (m_liked.isNil())
            m_entry->remove("liked");
        else
            m_entry->set("liked", m_liked);
        m_entry->set("likedCount", ZMRFeedCount(m_likedCount));
    }
    if (auto redraw = m_redraw.lock())
        redraw->krUploadTaskDidFailWithError(task, error, taskType);
}
