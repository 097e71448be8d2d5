#pragma once

// The application's paged server lists: a page source that is itself the
// list's IZMRDownlinkTask. A new source holds "pageIndex" = "1" and
// "pageSize" = "20" in its query values, and every page change is mirrored
// there, which is how the list service sends the page. reloadData,
// refreshData and loadMoreData send the source (after withdrawing the
// request under way); cancel withdraws it (ZMRPagedList.h). Main queue only.

#include "app/screens/shared/ZMRPagedList.h"
#include "framework/data/KRPageDataSource.h"

class ZMRPageDataSource : public ZMRPagedList<KRPageDataSource> {};
