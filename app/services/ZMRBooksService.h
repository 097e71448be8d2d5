#pragma once

// The ledger: creates entries on the server and keeps a copy of the
// signed-in user's entries in the per-user database.
//
// A created entry is stored (or, when its `bid` is stored already, updated)
// before the delegate hears of the success; an answer without an entry, or
// with bid 0 or none that reads (ZMRNumberText.h), stores nothing and still
// succeeds. A search of [start, end]
// (whole seconds, 64-bit like "createTime" and every time of the ledger, so
// the ledger goes on past January 2038) makes the rows of that window equal to the answer: one
// row per bid survives in the window, answered entries update their row
// wherever it is stored (a row outside the window included) or are
// inserted, and window rows the answer lacks are deleted. Both post
// "ZMRBooksChangedNotification" when they changed the table. Failures reach
// the delegate with domain "ZMRBooksService" and change nothing. Main queue
// only.

#include "framework/core/KRUplinkService.h"

class IKRAPIResponseTask;
class KRDBContext;
class ZMRBooksObject;

class ZMRBooksService final : public KRUplinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

    // Copies an entry dictionary's fields (all but "bid") into the object;
    // absent fields, and numbers that do not read by ZMRNumberText.h's
    // rules, read as 0 or nil.
    static void data(const pf::Value& entry, ZMRBooksObject& object);

private:
    void send(const pf::Protocol* taskType, const pf::ObjectRef& task);
    void answer(const IKRAPIResponseTask& response);
    void storeCreated(KRDBContext& db, const pf::Value& entry);
    void mergeSearch(KRDBContext& db, const pf::Array& entries, long long start, long long end);
};

extern const char* const ZMRBooksChangedNotification;
