#pragma once

// The feed lists' data source: a status source (the status word, its
// `classify`, names which feed it holds) with the application's list query
// mechanics, paged and sent like ZMRPageDataSource (ZMRPagedList.h). `mutual` asks for mutual
// follows only: set, the query holds "mutual" = "1"; unset, no such key is
// sent at all.
//
// After every page each item of the whole list gains its display fields
// (ZMRDisplayFields.h). Items that arrive with an "html" of their own lose
// it, since templates insert "html" raw: only the encoded body may stand
// there; items listed before keep what they were given. Entries that are not
// dictionaries stay in the list without fields.
//
// Main queue only.

#include "app/screens/shared/ZMRPagedList.h"
#include "framework/data/KRStatusDataSource.h"

class ZMRFeedDataSource : public ZMRPagedList<KRStatusDataSource> {
public:
    const std::optional<std::string>& classify() const { return status(); }
    void setClassify(std::optional<std::string> classify) { setStatus(std::move(classify)); }
    bool isMutual() const { return queryValue("mutual").boolValue(); }
    void setMutual(bool mutual);

    void loadResultsData(const pf::Value& results) override;
};
