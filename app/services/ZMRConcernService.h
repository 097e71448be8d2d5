#pragma once

// The signed-in user's follow list: follow and unfollow of single users, a
// paged, versioned sync of the whole list into the per-user database, and
// the rewrite of one stored user from fresher data.
//
// Follow and unfollow answer their task's delegate (domain
// "ZMRConcernService"); an unfollow deletes that user's rows first and
// posts "ZMRConcernChangedNotification", a follow marks the context's
// follow list as changed, and so does either whose result is unknown (the
// server may have made the change; nothing is deleted). A confirmed follow
// whose task carries the person's profile (`user`, with a nickname that
// shows more than blanks and zero-width characters) stores that person's
// row, unless one is stored already, with the stored list's version and
// the profile's "mutual" (not mutual without it), and posts
// "ZMRConcernChangedNotification" before the delegate hears the answer:
// one row, however long the list. It does so only while the stored list
// is known whole: the last sync of this user in
// this run ended complete. A
// sync that failed or stopped may have left the table empty or partial, so
// then, as while a sync runs (a later page would list the person again), a
// follow stores nothing and starts a sync instead; so do a follow without
// a profile and either whose result is unknown (after the delegate heard
// the answer). A confirmed unfollow over a list not known whole (no sync
// running) syncs too, so the list ends as the server's. A refused one
// changes nothing. An answer to a
// request made while another user (or nobody) was signed in stores, marks
// and syncs nothing; its delegate still hears it.
//
// IZMRConcernTask starts a sync (cancelling a running one) and is handed on
// along the bus. Page 1 of a changed list replaces the table; each page
// posts "ZMRConcernChangedNotification"; the empty page that ends the list
// stores its version in the context. The next page is sent on a later turn
// of the main queue, and only while its task is still the running sync and
// the same user is signed in; answers of a sync that is no longer running
// are ignored. The sync runs to the first empty page, however long the
// list; only a server that never ends its list is stopped, once a sync has
// received kMaxConcernItems items (far above any real list), without
// storing the version. Every page must carry the version of page 1: the
// list is paged by offset, so a page of another version (the list changed
// on the server meanwhile) starts the sync again from page 1, at most
// kMaxConcernRestarts times; after that what is stored stays and no version
// is stored, so the next sync reads the whole list, and the context's follow
// list is marked as changed, so the next visit of the list starts one. A
// failed page stores nothing and posts "ZMRConcernFailedNotification" with
// the error (read it with ZMRConcernFailure); the next sync starts over. A
// page without a "user-concern-results" dictionary stores and posts
// nothing; like a failed page, it leaves the context's follow list marked
// as changed, so the next visit of the list syncs.
//
// IZMRRefreshUserTask rewrites the stored rows of that user (nothing when
// the user is not followed) with what its profile carries: a nickname (with
// its initials), portrait or "mutual" that is missing, null or not of its
// kind (a nickname that shows nothing, blanks and zero-width characters
// only, too) keeps the stored one. A shown nickname is stored as it is,
// such characters among the shown ones included. It is
// handed on. Main queue only.

#include "framework/core/KRUplinkService.h"
#include "platform/foundation/Error.h"

#include <optional>

class IKRAPIResponseTask;
class KRDBContext;
namespace pf {
struct Notification;
}
class KRAPIRequestTask;
class ZMRConcernObject;

class ZMRConcernService final : public KRUplinkService {
public:
    static constexpr long long kMaxConcernItems = 1'000'000;
    static constexpr int kMaxConcernRestarts = 3;

    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    // Withdraws a sync's request and answers false, so the cancel travels on.
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;

    // "uid", "nick" (its pinyin initials go to `py`), "logo" and "mutual"
    // of a user dictionary. A nickname that is not text reads as "" with no
    // initials; a logo that is not text as nil.
    static void fillConcernObject(ZMRConcernObject& object, const pf::Value& data);

    const pf::ObjectRef& concernTask() const { return m_concernTask; }
    void setConcernTask(pf::ObjectRef task) { m_concernTask = std::move(task); }

private:
    void send(const pf::Protocol* taskType, const pf::ObjectRef& task);
    std::shared_ptr<KRAPIRequestTask> pageRequest(const pf::ObjectRef& task);
    void startSync(const pf::ObjectRef& task);
    void cancelSync(const pf::ObjectRef& task);
    void refreshUser(const pf::ObjectRef& task);
    void answer(const IKRAPIResponseTask& response);
    void answerSync(const IKRAPIResponseTask& response);
    // Sends the task's current page on a later turn of the main queue.
    void sendLater(const pf::ObjectRef& task);
    void postFailure(const pf::Error& error);
    // Starts a sync through the bus, as the shell does.
    void syncAfterChange();
    // Lists a confirmed follow's person from the profile it carries; false
    // when the stored list is not known whole, the task carries no profile
    // with a nickname that shows something, or the row cannot be stored (a
    // sync must do it).
    bool storeFollowed(const pf::ObjectRef& task);
    // The sync that `response` answered ended complete: what is stored is
    // the signed-in user's whole list.
    void markWhole(const IKRAPIResponseTask& response);
    // The stored list is the signed-in user's whole list (markWhole).
    bool isListWhole() const;

    pf::ObjectRef m_concernTask;
    long long m_receivedItems = 0; // by the running sync
    std::optional<long long> m_syncVersion; // of the running sync's page 1
    int m_restarts = 0; // of the running sync
    // The user whose whole list is stored: the last sync of this run ended
    // complete for them. Nothing while a sync runs and after one failed or
    // stopped, when the table may hold a part of the list.
    std::optional<pf::Value> m_wholeFor;
};

extern const char* const ZMRConcernChangedNotification;
extern const char* const ZMRConcernFailedNotification;
// The error a ZMRConcernFailedNotification carries; nothing for another notification.
std::optional<pf::Error> ZMRConcernFailure(const pf::Notification& notification);
// Makes sure of the index the follow list is read in (initials without
// case, then nickname; it holds every column, so the list is read from it
// alone, in order); a failure is logged and the list is still read, sorted.
// Made when the per-user database opens, so the first opening of a long
// list does not build it, and every write keeps it.
bool ZMRConcernIndexSections(KRDBContext& db);
