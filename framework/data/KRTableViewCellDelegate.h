#pragma once

// What a table cell tells its owner: a button of the cell or an element of
// its markup acted. `action` conforms to IKRAction. Main queue only.

#include "platform/foundation/Forward.h"

class KRTableViewCell;

class KRTableViewCellDelegate {
public:
    virtual ~KRTableViewCellDelegate() = default;
    virtual void krTableViewCellDoAction(KRTableViewCell& cell, const pf::ObjectRef& action) = 0;
};
