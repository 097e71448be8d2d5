#pragma once

// The image view of the application's documents and screens: a KRImageView
// that takes its addresses from the markup element it stands for ("src",
// and "default-src" for the placeholder), takes touches, and shows a
// spinning ZMRLoadingView (the bundle picture "ico39.png") in its middle
// while the image service marks it loading. The spinner is made at the
// start of a load, centred again at every start and kept centred as the
// view resizes; it is dropped when the load ends, so each load has a new one.
//
// Markup names it as the view class "ZMRImageView". Main queue only.

#include "framework/dom/ViewKRDOMElement.h"
#include "framework/ui/KRImageView.h"

class ZMRLoadingView;

class ZMRImageView : public KRImageView, public KRDOMElementDressable {
public:
    explicit ZMRImageView(const pf::Rect& frame = {});
    ~ZMRImageView() override;

    // The dressing every view takes, then the two addresses (absent
    // attributes clear them); touches are switched on.
    void setElement(const KRDOMElementRef& element) override;

    void setLoading(bool loading) override;

    const std::shared_ptr<ZMRLoadingView>& loadingView() const { return m_loadingView; }
    void setLoadingView(std::shared_ptr<ZMRLoadingView> view) { m_loadingView = std::move(view); }

private:
    std::shared_ptr<ZMRLoadingView> m_loadingView;
};
