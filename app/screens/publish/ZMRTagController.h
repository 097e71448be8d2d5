#pragma once

// The tag strip of a publish form: every tag of the application database's
// tag list as one horizontal row of toggle buttons in `contentView` (an
// outlet of the form's interface file), and the tags switched on.
//
// The row is built when the controller gets its context and on reloadData,
// never by itself after a later tag sync. A rebuild reuses the tag buttons
// already in the row, in order, keeping their selected state even when
// their tag changes; buttons beyond the number of tags are removed. Each
// button is as wide as its title plus 40 points, 24 high, centred
// vertically; the content is as wide as the row, so it scrolls sideways.
// Without a content view or an application database the row is left as it
// is. Main queue only.

#include "framework/core/KRController.h"
#include "platform/graphics/Forward.h"

#include <memory>
#include <vector>

namespace pf {
class ScrollView;
}
class ZMRTagItemControl;
class ZMRTagObject;

class ZMRTagController : public KRController {
public:
    const std::shared_ptr<pf::ScrollView>& contentView() const { return m_contentView; }
    void setContentView(std::shared_ptr<pf::ScrollView> view) { m_contentView = std::move(view); }

    // Stores the context, then builds the row.
    void setContext(std::weak_ptr<IKRUIContext> context) override;
    void reloadData();
    // The tags of the selected buttons, in row order.
    std::vector<std::shared_ptr<ZMRTagObject>> selectedDataObjects() const;
    // A tag button was tapped: it toggles.
    void itemViewAction(ZMRTagItemControl& sender);

private:
    struct Images {
        pf::ImageRef off, on;
    };
    std::shared_ptr<ZMRTagItemControl> makeItem(const pf::Rect& frame, const Images& images);

    std::shared_ptr<pf::ScrollView> m_contentView;
};
