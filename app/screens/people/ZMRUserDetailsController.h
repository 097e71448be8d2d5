#pragma once

// The profile document of the user details screen. The data source (owned;
// the controller is its delegate) loads the profile; every profile it
// delivers, cached or fresh, becomes `dataItem` and rebuilds the document
// from the template, then the delegate hears
// userDetailsControllerDidContentSizeChanged. A delivery without a profile
// (the source holds no dictionary) keeps the current document; from the
// cache it tells nobody, from the server it is a failure
// (ZMRServerFailedCode, no description). A failure keeps the document too
// and tells the delegate userDetailsControllerDidFailWithError.
//
// `fansCount` is the profile's "fansCount" read as a whole number in
// [0, 2^31 - 1] (0 when absent or of another kind); a rebuild writes it back
// so the document shows that number. Setting it stores the
// number (clamped likewise) in the profile and rewrites only the element
// "fansLabel" of the shown document in place: no rebuild, no size change,
// no delegate call. Without a document or such an element the number is
// kept for the next rebuild.
//
// The context and the delegate are not owned. Main queue only.

#include "framework/data/KRDataSourceDelegate.h"
#include "framework/data/KRDocumentController.h"

class KRDataSource;
class ZMRUserDetailsController;

class ZMRUserDetailsControllerDelegate : public KRDocumentControllerDelegate {
public:
    virtual void userDetailsControllerDidContentSizeChanged(ZMRUserDetailsController&) {}
    virtual void userDetailsControllerDidFailWithError(ZMRUserDetailsController&, const pf::Error&) {}
};

class ZMRUserDetailsController : public KRDocumentController, public KRDataSourceDelegate {
public:
    ~ZMRUserDetailsController() override;

    const std::shared_ptr<KRDataSource>& dataSource() const { return m_dataSource; }
    void setDataSource(std::shared_ptr<KRDataSource> dataSource);

    int fansCount() const;
    void setFansCount(int fansCount);
    // Stores "mutual" in the profile and shows or hides the shown
    // document's element "mutualLabel" to match.
    void setMutual(bool mutual);

    // Asks the source to load; the document follows its answer.
    void reloadData() override;
    void cancel();
    void setContext(std::weak_ptr<IKRUIContext> context) override;
    void didSourceDataChanged();

    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error) override;

private:
    bool ownSource(const KRDataSource& sender) const { return &sender == m_dataSource.get(); }

    std::shared_ptr<KRDataSource> m_dataSource;
};
