#include "app/screens/prizes/ZMRPrizeDetailsController.h"

#include "app/services/ZMRNumberText.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/DateFormatter.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/PerformRequest.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kTickName = "refreshTime";

// Far beyond any sale (about 146 billion years), and safe to count in 64 bits.
constexpr double kLongestWait = 4.6e18;

long long wholeSeconds(double seconds)
{
    return static_cast<long long>(std::min(std::trunc(seconds), kLongestWait));
}

// The target of the delayed ticks.
class TickTarget final : public pf::Object {
public:
    explicit TickTarget(std::weak_ptr<ZMRPrizeDetailsController> controller) : m_controller(std::move(controller)) {}
    void fire() const
    {
        if (auto controller = m_controller.lock())
            controller->refreshTime();
    }

private:
    std::weak_ptr<ZMRPrizeDetailsController> m_controller;
};

}

ZMRPrizeDetailsController::ZMRPrizeDetailsController() = default;

ZMRPrizeDetailsController::~ZMRPrizeDetailsController()
{
    cancelTick();
    if (m_dataSource) {
        m_dataSource->cancel();
        // Our own link can no longer be locked here: an empty one is ours (or none).
        if (!m_dataSource->delegate())
            m_dataSource->setDelegate(nullptr);
    }
}

const std::shared_ptr<pf::DateFormatter>& ZMRPrizeDetailsController::dateFormatter()
{
    if (!m_dateFormatter)
        m_dateFormatter = std::make_shared<pf::DateFormatter>();
    return m_dateFormatter;
}

void ZMRPrizeDetailsController::setStatus(std::optional<std::string> status)
{
    if (m_statusView)
        m_statusView->setStatus(std::move(status));
}

void ZMRPrizeDetailsController::reloadData()
{
    setStatus("loading");
    if (auto source = m_dataSource)
        source->reloadData();
}

void ZMRPrizeDetailsController::cancel()
{
    if (auto source = m_dataSource)
        source->cancel();
    cancelTick();
}

void ZMRPrizeDetailsController::cancelTick()
{
    if (m_tickTarget)
        pf::cancelPreviousPerformRequests(*m_tickTarget, kTickName);
}

void ZMRPrizeDetailsController::setContext(std::weak_ptr<IKRUIContext> context)
{
    KRDocumentController::setContext(context);
    if (m_dataSource)
        m_dataSource->setContext(std::move(context));
}

void ZMRPrizeDetailsController::loadDataObject()
{
    auto self = shared_from_this();
    setDataItem(m_dataSource ? m_dataSource->dataObject() : pf::Value());
    setDocument(nullptr);
    KRDocumentController::reloadData();
    fitDocumentView();
    if (auto delegate = std::dynamic_pointer_cast<ZMRPrizeDetailsControllerDelegate>(this->delegate()))
        delegate->prizeDetailsControllerDidContentChanged(*this);
}

void ZMRPrizeDetailsController::fitDocumentView()
{
    const pf::ViewRef& view = documentView();
    auto scroll = view ? std::dynamic_pointer_cast<pf::ScrollView>(view->superview()) : nullptr;
    if (!scroll || !hasDocument())
        return;
    pf::Rect frame = view->frame();
    double height = contentSize().height;
    view->setFrame(pf::Rect(frame.origin, pf::Size{frame.width(), height}));
    scroll->setContentSize(pf::Size{0, frame.y() + height});
}

void ZMRPrizeDetailsController::documentWillLoad()
{
    KRDocumentController::documentWillLoad();
    if (auto images = document() ? document()->elementById("images") : nullptr)
        images->setValue(dataForKeyPath(dataItem(), "images"), "images");
    cancelTick();
    refreshTime();
}

double ZMRPrizeDetailsController::nowTimestamp() const
{
    // The source's server clock; the local one when the source keeps none.
    pf::Value now = m_dataSource ? m_dataSource->valueForKey("nowTimestamp") : pf::Value();
    return now.isNumber() ? now.doubleValue() : pf::Date::now().seconds;
}

std::optional<ZMRPrizeDetailsController::Tick> ZMRPrizeDetailsController::tickFor(double now, std::optional<double> saleTime,
                                                                                 std::optional<double> endTime)
{
    if (!saleTime || !endTime || !std::isfinite(now) || !std::isfinite(*saleTime) || !std::isfinite(*endTime))
        return std::nullopt;
    if (now < *saleTime)
        return Tick{"未开始", wholeSeconds(*saleTime - now), true};
    if (now > *endTime)
        return Tick{"已结束", 0, false};
    return Tick{"兑奖中", wholeSeconds(*endTime - now), true};
}

std::string ZMRPrizeDetailsController::countdownMarkup(long long remaining, double endTime)
{
    char markup[1600];
    if (remaining <= 0) {
        dateFormatter()->setDateFormat("yyyy年MM月dd日 HH时mm分ss秒");
        // Encoded, so that the markup keeps the blank between the date and the time.
        std::string date = htmlEncodeString(dateFormatter()->stringFromDate(pf::Date{endTime}));
        std::snprintf(markup, sizeof markup,
                      "<label width='auto' height='auto' font='16 bold' color='#ffffff' margin-top='10'>%s</label>", date.c_str());
        return markup;
    }
    long long days = remaining / 86400, hours = remaining % 86400 / 3600, minutes = remaining % 86400 % 3600 / 60,
              seconds = remaining % 86400 % 3600 % 60;
    std::snprintf(
        markup, sizeof markup,
        "<label width='auto' height='auto' font='32 bold' color='#ffffff'>%lld</label><label width='auto' height='auto'  "
        "font='14 bold' color='#ffffff' margin-top='16' margin-left='4' margin-right='4'>天</label><label width='auto' "
        "height='auto' font='32 bold' color='#ffffff'>%lld</label><label width='auto' height='auto' font='14 bold' "
        "color='#ffffff' margin-top='16' margin-left='4' margin-right='4'>时</label><label width='auto' height='auto'  "
        "font='32 bold' color='#ffffff'>%lld</label><label width='auto' height='auto' font='14 bold' color='#ffffff' "
        "margin-top='16' margin-left='4' margin-right='4'>分</label><label width='auto' height='auto'  font='32 bold' "
        "color='#ffffff'>%lld</label><label width='auto' height='auto' font='14 bold' color='#ffffff' margin-top='16' "
        "margin-left='4' margin-right='4'>秒</label>",
        days, hours, minutes, seconds);
    return markup;
}

void ZMRPrizeDetailsController::refreshTime()
{
    auto self = shared_from_this();
    pf::DictionaryRef prize = dataItem().dictionary();
    if (!prize)
        return;
    std::optional<double> endTime = ZMRDecimalNumber(dataForKeyPath(dataItem(), "endTime"));
    auto tick = tickFor(nowTimestamp(), ZMRDecimalNumber(dataForKeyPath(dataItem(), "saleTime")), endTime);
    if (!tick)
        return;
    prize->set("status", tick->status);
    if (tick->again) {
        if (!m_tickTarget)
            m_tickTarget = std::make_shared<TickTarget>(std::static_pointer_cast<ZMRPrizeDetailsController>(self));
        auto target = std::static_pointer_cast<TickTarget>(m_tickTarget);
        pf::performAfterDelay(m_tickTarget, kTickName, 1.0, [weak = std::weak_ptr<TickTarget>(target)] {
            if (auto t = weak.lock())
                t->fire();
        });
    }
    KRDOMDocumentRef page = document();
    if (!page)
        return;
    if (KRDOMElementRef time = page->elementById("time")) {
        std::vector<KRDOMElementRef> old = time->childs();
        for (const auto& child : old)
            child->removeFromParentElement();
        KRDOMParse().parseHTML(countdownMarkup(tick->remaining, *endTime), time);
        time->layout();
        time->setNeedDisplay();
    }
    if (auto status = std::dynamic_pointer_cast<KRDOMViewElement>(page->elementById("statusView"))) {
        // Kept on the element too, so that the button shows it again whenever it is dressed anew.
        status->setAttributeValue(tick->status, "title");
        if (status->isViewLoaded()) {
            if (auto button = std::dynamic_pointer_cast<pf::Button>(status->view()))
                button->setTitle(std::string(tick->status), pf::ControlStates::Normal);
        }
    }
}

void ZMRPrizeDetailsController::answered()
{
    auto self = shared_from_this();
    if (!m_dataSource || !m_dataSource->dataObject().dictionary()) {
        // Nothing to count down to.
        cancelTick();
        setStatus("error");
        return;
    }
    loadDataObject();
    setStatus(std::nullopt);
}

void ZMRPrizeDetailsController::krDataSourceDidLoadedFromCache(KRDataSource&, pf::Date)
{
    answered();
}

void ZMRPrizeDetailsController::krDataSourceDidLoaded(KRDataSource&)
{
    answered();
}

void ZMRPrizeDetailsController::krDataSourceDidFitalError(KRDataSource&, const pf::Error&)
{
    setStatus("error");
}
