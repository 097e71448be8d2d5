#pragma once

// A view layout that flows its views one after another in rows, left to
// right and top to bottom inside the host's padding, like words in a
// paragraph: each layout data gives only its size, never its position. A
// view that does not fit the rest of a row starts the next one; a view
// wider than an empty row gets a row of its own and the next view starts
// directly below it. There is no spacing besides the views' own sizes.
//
// The content size is the widest reach plus the right padding by the
// bottom of the last row plus the bottom padding; a scroll view host gets
// that height (and width 0) as its content size so the rows scroll.
//
// Main queue only, inside the owner's view life cycle.

#include "framework/ui/KRViewLayout.h"

class KRFlowViewLayout : public KRViewLayout {
public:
    void doLayout() override;
};
