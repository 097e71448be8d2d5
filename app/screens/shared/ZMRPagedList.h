#pragma once

// The paging and sending every application server list shares, over the
// page source it extends (a plain page source or a status source): a new
// list mirrors its page into the query values, every page change is
// mirrored again, reloadData and loadMoreData send the list (loading more
// only when there is a next page) and cancel withdraws it (ZMRListQuery.h).
// Keys the list does not declare are query values. Main queue only.

#include "app/screens/shared/ZMRListQuery.h"

#include <optional>
#include <string_view>

template <class Base>
class ZMRPagedList : public Base, public ZMRListQuery {
public:
    ZMRPagedList()
    {
        mirrorPageIndex(Base::pageIndex());
        mirrorPageSize(Base::pageSize());
    }

    void setPageIndex(int pageIndex) override
    {
        Base::setPageIndex(pageIndex);
        mirrorPageIndex(pageIndex);
    }
    void setPageSize(int pageSize) override
    {
        Base::setPageSize(pageSize);
        mirrorPageSize(pageSize);
    }
    void reloadData() override
    {
        Base::reloadData();
        sendList(*this);
    }
    void loadMoreData() override
    {
        int before = Base::pageIndex();
        Base::loadMoreData();
        if (Base::pageIndex() != before) // no page after the last possible one
            sendList(*this);
    }
    void cancel() override
    {
        Base::cancel();
        withdrawList(*this);
    }
    std::optional<pf::Error> setValueForUndefinedKey(std::string_view key, const pf::Value& value) override
    {
        return setQueryValueForKey(key, value);
    }
    pf::Value valueForUndefinedKey(std::string_view key) const override { return queryValue(key); }
};
