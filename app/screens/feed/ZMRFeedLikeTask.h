#pragma once

// The like toggle of a feed entry shown on screen. The entry dictionary is
// shared by every screen that shows it, so the toggle flips its "liked" and
// moves its "likedCount" (never below 0) at once, then sends a like or an
// unlike (ZMRLikeTask, ZMRUnLikeTask) without waiting.
//
// A refusal of the entry's latest toggle (the server's error code, or a
// request that never went out) puts "liked" and "likedCount" back as they
// were before it; a refusal of an older toggle changes nothing, since a
// later one already decided what the entry shows. A toggle whose result is
// unknown (ZMRResultUnknownCode) keeps the entry as it shows it until the
// entry is loaded again: the server may have kept it. The task does
// this itself, as its own uplink delegate, so the entry is right again even
// when the screen that sent it is gone; then it tells its redraw delegate
// (held weakly), which shows the entry's state again. The entry keeps the
// number of its latest toggle under "__likeToggle__".
//
// Main queue only.

#include "app/services/ZMRSocialTasks.h"
#include "platform/foundation/Forward.h"

#include <memory>

class IKRUIContext;

// A count as the entry shows and moves it: its integer value as
// ZMRNumberText.h reads it (3.9 is 3, true 1, "+4" 4), 0 below 0.
long long ZMRFeedCount(const pf::Value& count);

// Flips the entry and sends the task through `context`; answers the entry's
// new "liked".
bool ZMRToggleLike(const pf::DictionaryRef& entry, IKRUIContext& context,
                   std::weak_ptr<IKRUplinkTaskDelegate> redraw, pf::Value indexPath = {});

class ZMRLikeRollback : public IKRUplinkTaskDelegate {
public:
    const pf::DictionaryRef& entry() const { return m_entry; }
    std::shared_ptr<IKRUplinkTaskDelegate> redrawDelegate() const { return m_redraw.lock(); }

    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

protected:
    friend bool ZMRToggleLike(const pf::DictionaryRef&, IKRUIContext&, std::weak_ptr<IKRUplinkTaskDelegate>, pf::Value);

    pf::DictionaryRef m_entry;
    std::weak_ptr<IKRUplinkTaskDelegate> m_redraw;
    long long m_toggle = 0;
    pf::Value m_liked;
    pf::Value m_likedCount;
};

class ZMRFeedLikeTask final : public ZMRLikeTask, public ZMRLikeRollback {};
class ZMRFeedUnLikeTask final : public ZMRUnLikeTask, public ZMRLikeRollback {};
