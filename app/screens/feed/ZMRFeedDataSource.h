#pragma once

// The feed lists' data source: a status source (the status word, its
// `classify`, names which feed it holds) with the application's list query
// mechanics, paged and sent like ZMRPageDataSource. `mutual` asks for mutual
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

#include "app/screens/shared/ZMRListQuery.h"
#include "framework/data/KRStatusDataSource.h"

class ZMRFeedDataSource : public KRStatusDataSource, public ZMRListQuery {
public:
    ZMRFeedDataSource();

    const std::optional<std::string>& classify() const { return status(); }
    void setClassify(std::optional<std::string> classify) { setStatus(std::move(classify)); }
    bool isMutual() const { return queryValue("mutual").boolValue(); }
    void setMutual(bool mutual);

    void setPageIndex(int pageIndex) override;
    void setPageSize(int pageSize) override;
    void reloadData() override;
    void loadMoreData() override;
    void cancel() override;
    // Undeclared keys are query values (ZMRListQuery.h).
    std::optional<pf::Error> setValueForUndefinedKey(std::string_view key, const pf::Value& value) override
    {
        return setQueryValueForKey(key, value);
    }
    pf::Value valueForUndefinedKey(std::string_view key) const override { return queryValue(key); }
    void loadResultsData(const pf::Value& results) override;
};
