#pragma once

// What a data source tells its owner (usually a list controller). Every
// callback is optional: the defaults do nothing. The sender is the data
// source the owner is attached to (a gatherer passes itself). Main queue only.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

class KRDataSource;

class KRDataSourceDelegate {
public:
    virtual ~KRDataSourceDelegate() = default;
    virtual void krDataSourceWillLoading(KRDataSource& dataSource);
    // A cached copy replaced the list; the network answer follows.
    virtual void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp);
    virtual void krDataSourceDidLoaded(KRDataSource& dataSource);
    // The list keeps what it held before the failed load.
    virtual void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error);
    virtual void krDataSourceDidContentChanged(KRDataSource& dataSource);
};
