#pragma once

// The document of a prize's details page, with its sale countdown. The
// prize comes from the data source (its dataObject, a dictionary); each
// answer rebuilds the page from the template and tells the delegate
// (prizeDetailsControllerDidContentChanged). Every build runs one countdown
// tick at once; a tick judges the sale by the source's server clock
// ("nowTimestamp", the local clock when the source has none) against the
// prize's "saleTime" and "endTime":
//
//   before the sale   "未开始", the time left to the sale, next tick in 1 s
//   during the sale   "兑奖中", the time left to the end (both ends included), next tick in 1 s
//   after the end     "已结束", the end date, no further tick
//
// It writes the prize's "status", refills the element "time" with the
// days, hours, minutes and seconds left (whole seconds; the end date once
// nothing is left) and titles the button of the view element "statusView".
// Times that are not numbers (or not finite) give no status, no "time" and
// no tick. One tick is pending at most; `cancel` and the destructor stop it,
// and a tick never keeps the controller alive.
//
// Each build also makes the document view as tall as the document when it
// sits in a scroll view, and sets the scroll view's content height to match,
// so a page taller than the screen scrolls instead of being cut.
//
// While the source loads the status view shows "loading"; an answer clears
// it, a failure, or an answer without a prize, shows "error" (no tick).
//
// Main queue only. The source is owned; the status view too.

#include "framework/data/KRDataSourceDelegate.h"
#include "framework/data/KRDocumentController.h"

class KRDataSource;
class KRStatusView;
class ZMRPrizeDetailsController;

namespace pf {
class DateFormatter;
}

class ZMRPrizeDetailsControllerDelegate : public KRDocumentControllerDelegate {
public:
    virtual void prizeDetailsControllerDidContentChanged(ZMRPrizeDetailsController&) {}
};

class ZMRPrizeDetailsController : public KRDocumentController, public KRDataSourceDelegate {
public:
    ZMRPrizeDetailsController();
    ~ZMRPrizeDetailsController() override;

    const std::shared_ptr<KRDataSource>& dataSource() const { return m_dataSource; }
    void setDataSource(std::shared_ptr<KRDataSource> dataSource) { m_dataSource = std::move(dataSource); }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }
    // Made on first use; each tick sets the format it needs.
    const std::shared_ptr<pf::DateFormatter>& dateFormatter();

    void reloadData() override;
    // Withdraws the source's load and the pending tick.
    void cancel();
    void setContext(std::weak_ptr<IKRUIContext> context) override;
    void loadDataObject();
    void documentWillLoad() override;
    void refreshTime();

    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error) override;

    // What one tick makes of its clock and the sale window: nothing when a
    // time is missing or not finite.
    struct Tick {
        const char* status = nullptr;
        long long remaining = 0; // whole seconds
        bool again = false;      // another tick follows in a second
    };
    static std::optional<Tick> tickFor(double now, std::optional<double> saleTime, std::optional<double> endTime);
    // The "time" element's markup for `remaining` seconds (the end date line when 0).
    std::string countdownMarkup(long long remaining, double endTime);

private:
    void setStatus(std::optional<std::string> status);
    double nowTimestamp() const;
    void cancelTick();
    void answered();
    void fitDocumentView();

    std::shared_ptr<KRDataSource> m_dataSource;
    std::shared_ptr<KRStatusView> m_statusView;
    std::shared_ptr<pf::DateFormatter> m_dateFormatter;
    // The target of the delayed ticks: it holds this controller weakly, so a
    // pending tick neither keeps the controller nor reaches a released one.
    pf::ObjectRef m_tickTarget;
};
