#include "app/screens/people/ZMRUserDetailsViewController.h"

#include "app/screens/people/ZMRUserFeedController.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRDataOutlet.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <climits>
#include <utility>

ZMRUserDetailsViewController::~ZMRUserDetailsViewController()
{
    if (m_detailsController)
        m_detailsController->cancel();
}

void ZMRUserDetailsViewController::setStatus(std::optional<std::string> status)
{
    if (!status)
        m_postsFailure.clear();
    if (m_statusView)
        m_statusView->setStatus(std::move(status));
}

void ZMRUserDetailsViewController::viewDidLoad()
{
    pf::DictionaryRef query = url() ? queryValues(*url()) : pf::Dictionary::create();
    pf::Value nick = query->get("nick");
    if (nick.isString())
        setTitle(nick.stringOr());
    ZMRViewController::viewDidLoad();
    if (m_followButton)
        m_followButton->setHidden(true);
    if (m_failedLabel)
        m_failedLabelTop = m_failedLabel->frame().y();
    auto self = shared_from_this();
    if (m_detailsController)
        m_detailsController->setDelegate(self);
    if (m_feedController)
        m_feedController->setDelegate(self);
    pf::Value uid = query->get("uid");
    if (!ZMRWholeNumber(uid)) {
        pf::log("%s: no user id in the address", screenClassName().c_str());
        setStatus("error");
        return;
    }
    setStatus("loading");
    if (m_feedController && m_feedController->dataSource())
        m_feedController->dataSource()->setValueForKey("uid", uid);
    if (m_detailsController && m_detailsController->dataSource())
        m_detailsController->dataSource()->setValueForKey("uid", uid);
    if (m_feedController)
        m_feedController->reloadData();
}

void ZMRUserDetailsViewController::viewWillAppear(bool animated)
{
    ZMRViewController::viewWillAppear(animated);
    if (m_feedController && m_feedController->tableView())
        m_feedController->tableView()->reloadData();
}

void ZMRUserDetailsViewController::krDataControllerWillLoading(KRDataController& controller)
{
    if (&controller == m_feedController.get() && m_detailsController)
        m_detailsController->reloadData();
}

void ZMRUserDetailsViewController::krDataControllerDidLoaded(KRDataController&)
{
    setStatus(std::nullopt);
}

void ZMRUserDetailsViewController::krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error)
{
    auto posts = m_feedController ? m_feedController->dataSource() : nullptr;
    if (&controller != m_feedController.get() || !posts || !posts->isEmpty()) {
        setStatus(std::nullopt);
        return;
    }
    m_postsFailure = ZMRMessage(error);
    showPostsFailure();
    placeFailedLabel();
    setStatus("error");
}

void ZMRUserDetailsViewController::showPostsFailure()
{
    if (!m_failedLabel || m_postsFailure.empty())
        return;
    // Both loads failed alike (the server or the network is down): the
    // header tells it once, where the name would stand; the same sentence
    // again under it would read as a second, different fault.
    const bool toldAbove = m_detailsFailedLabel && !m_detailsFailedLabel->isHidden() &&
                           m_detailsFailedLabel->text() == m_postsFailure;
    m_failedLabel->setText(toldAbove ? std::string() : m_postsFailure);
}

void ZMRUserDetailsViewController::placeFailedLabel()
{
    if (!m_failedLabel || !m_detailsTableViewCell)
        return;
    pf::Rect frame = m_failedLabel->frame();
    frame.origin.y = std::max(m_failedLabelTop, m_detailsTableViewCell->frame().height() + 20);
    m_failedLabel->setFrame(frame);
}

void ZMRUserDetailsViewController::userDetailsControllerDidContentSizeChanged(ZMRUserDetailsController& controller)
{
    m_askedAgain = false;
    m_unconfirmed = false;
    pf::Value profile = controller.dataItem();
    m_confirmed = {KRDataOutlet::booleanValue(dataForKeyPath(profile, "isFollow")), controller.fansCount(),
                   KRDataOutlet::booleanValue(dataForKeyPath(profile, "mutual"))};
    if (m_detailsFailedLabel)
        m_detailsFailedLabel->setHidden(true);
    if (m_unconfirmedLabel)
        m_unconfirmedLabel->setHidden(true);
    showPostsFailure();
    // A failure of the posts stays shown, under the profile now.
    layoutHeader();
    refreshFollowButton();
    if (!m_statusView || m_statusView->status() != "error")
        setStatus(std::nullopt);
}

void ZMRUserDetailsViewController::layoutHeader()
{
    if (m_detailsTableViewCell && m_detailsController) {
        pf::Rect frame = m_detailsTableViewCell->frame();
        frame.size.height = std::max(0.0, m_detailsController->contentSize().height - 20.0);
        if (m_unconfirmedLabel && !m_unconfirmedLabel->isHidden()) {
            pf::Rect notice = m_unconfirmedLabel->frame();
            notice.origin.y = frame.height();
            m_unconfirmedLabel->setFrame(notice);
            frame.size.height += notice.height();
        }
        m_detailsTableViewCell->setFrame(frame);
    }
    if (m_feedController && m_feedController->tableView())
        m_feedController->tableView()->reloadData();
    placeFailedLabel();
}

void ZMRUserDetailsViewController::showConfirmed()
{
    pf::DictionaryRef profile = m_detailsController ? m_detailsController->dataItem().dictionary() : nullptr;
    if (!profile)
        return;
    profile->set("isFollow", m_confirmed.following);
    m_detailsController->setFansCount(m_confirmed.fans);
    m_detailsController->setMutual(m_confirmed.mutual);
    refreshFollowButton();
    if (m_unconfirmedLabel && m_unconfirmedLabel->isHidden()) {
        m_unconfirmedLabel->setHidden(false);
        layoutHeader();
    }
}

void ZMRUserDetailsViewController::userDetailsControllerDidFailWithError(ZMRUserDetailsController& controller,
                                                                         const pf::Error& error)
{
    // The outage that lost a toggle's answer usually fails the profile
    // asked for after it too: the page must not go on showing the toggle
    // as taken. The alert already asked the person to look.
    if (m_unconfirmed && controller.dataItem().isDictionary()) {
        showConfirmed();
        return;
    }
    // Without a profile the header would stay blank and the person could
    // not tell why there is nobody to follow.
    if (!m_detailsFailedLabel || controller.dataItem().isDictionary())
        return;
    m_detailsFailedLabel->setText(ZMRMessage(error));
    m_detailsFailedLabel->setHidden(false);
    showPostsFailure();
}

void ZMRUserDetailsViewController::refreshFollowButton()
{
    if (!m_followButton || !m_detailsController)
        return;
    pf::Value profile = m_detailsController->dataItem();
    std::optional<long long> uid = ZMRWholeNumber(dataForKeyPath(profile, "uid"));
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    std::optional<long long> own = context ? ZMRWholeNumber(context->uid()) : std::nullopt;
    // Nothing to follow before a profile, nor on one's own.
    if (!profile.isDictionary() || !uid || uid == own) {
        m_followButton->setHidden(true);
        return;
    }
    m_followButton->setHidden(false);
    if (KRDataOutlet::booleanValue(dataForKeyPath(profile, "isFollow"))) {
        m_followButton->setImage(nullptr, pf::ControlStates::Normal);
        m_followButton->setTitle(std::string("已关注"), pf::ControlStates::Normal);
    } else {
        m_followButton->setImage(pf::Image::named("ico61.png"), pf::ControlStates::Normal);
        m_followButton->setTitle(std::string("关注"), pf::ControlStates::Normal);
    }
}

void ZMRUserDetailsViewController::onFollowAction(const pf::ObjectRef&)
{
    if (!m_detailsController)
        return;
    pf::DictionaryRef profile = m_detailsController->dataItem().dictionary();
    std::optional<long long> uid = profile ? ZMRWholeNumber(profile->get("uid")) : std::nullopt;
    auto context = this->context();
    if (!profile || !uid || !context)
        return;
    auto self = shared_from_this();
    // A profile asked for after the previous toggle would answer with the
    // state before this tap.
    if (std::exchange(m_askedAgain, false))
        m_detailsController->cancel();
    const bool following = KRDataOutlet::booleanValue(profile->get("isFollow"));
    const int fans = m_detailsController->fansCount();
    std::shared_ptr<ZMRFollowTask> task =
        following ? std::make_shared<ZMRUnFollowTask>() : std::make_shared<ZMRFollowTask>();
    task->setTuid(*uid);
    // The delegate only: a task whose source is the screen would be
    // withdrawn when the screen goes, and its answer never heard.
    task->setDelegate(std::dynamic_pointer_cast<IKRUplinkTaskDelegate>(self));
    m_latestToggle = task;
    m_toggledProfile = profile;
    m_followedBefore = following;
    m_fansBefore = fans;
    profile->set("isFollow", !following);
    m_detailsController->setFansCount(following ? fans - 1 : (fans < INT_MAX ? fans + 1 : fans));
    // Following is mutual only while both follow: after an unfollow the
    // badge would tell a relation that is gone, and following again one
    // who follows back makes it true again.
    m_mutualBefore = KRDataOutlet::booleanValue(profile->get("mutual"));
    if (m_mutualBefore)
        m_followsBack = profile;
    if (following && m_mutualBefore)
        m_detailsController->setMutual(false);
    else if (!following && m_followsBack == profile)
        m_detailsController->setMutual(true);
    if (!following) {
        // Who the person is, and whether they follow back (this page shows
        // it without asking again), so that a confirmed follow lists them
        // at once as the server has them.
        auto user = pf::Dictionary::create();
        for (const char* key : {"uid", "nick", "logo"})
            user->set(key, profile->get(key));
        user->set("mutual", m_followsBack == profile);
        task->setUser(pf::Value(user));
    }
    refreshFollowButton();
    if (following)
        context->handle(proto::IZMRUnFollowTask(), task, 0);
    else
        context->handle(proto::IZMRFollowTask(), task, 0);
}

void ZMRUserDetailsViewController::krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value&,
                                                                 const pf::Protocol* taskType)
{
    const bool follow = taskType == proto::IZMRFollowTask();
    if ((!follow && taskType != proto::IZMRUnFollowTask()) || !task || !m_detailsController)
        return;
    pf::DictionaryRef profile = m_detailsController->dataItem().dictionary();
    // Every toggle the server took moves what it holds, an overtaken one too.
    if (m_confirmed.following != follow) {
        const int fans = m_confirmed.fans;
        m_confirmed = {follow, follow ? (fans < INT_MAX ? fans + 1 : fans) : std::max(fans - 1, 0),
                       follow && profile && m_followsBack == profile};
    }
    if (task != m_latestToggle.lock())
        return;
    // The page shows the latest toggle, and the server now holds it.
    if (std::exchange(m_unconfirmed, false) && m_unconfirmedLabel) {
        m_unconfirmedLabel->setHidden(true);
        layoutHeader();
    }
    // Whether the user follows back only the server knows: a profile that
    // does not show it yet is asked for again.
    if (follow && profile && profile == m_toggledProfile && !KRDataOutlet::booleanValue(profile->get("mutual"))) {
        m_askedAgain = true;
        m_detailsController->reloadData();
    }
}

void ZMRUserDetailsViewController::krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                                                const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRFollowTask() && taskType != proto::IZMRUnFollowTask())
        return;
    auto self = shared_from_this();
    // The alert for a toggle whose result is unknown asks the person to look
    // before trying again: the page they look at asks the server, rather
    // than show the state they chose as taken.
    if (task && task == m_latestToggle.lock() && error.code == ZMRResultUnknownCode) {
        m_latestToggle.reset();
        m_toggledProfile = nullptr;
        m_unconfirmed = true;
        if (m_detailsController) {
            m_askedAgain = true;
            m_detailsController->reloadData();
        }
    } else if (task && task == m_latestToggle.lock()) {
        m_latestToggle.reset();
        // The state before it was never confirmed either, when an unknown
        // result came before the tap.
        if (m_unconfirmed)
            showConfirmed();
        // A profile reloaded since shows the server's own state already.
        else if (m_detailsController && m_toggledProfile && m_detailsController->dataItem().dictionary() == m_toggledProfile) {
            m_toggledProfile->set("isFollow", m_followedBefore);
            m_detailsController->setFansCount(m_fansBefore);
            m_detailsController->setMutual(m_mutualBefore);
            refreshFollowButton();
        }
        m_toggledProfile = nullptr;
    }
    showAlert(ZMRMessage(error));
}

void ZMRUserDetailsViewController::krDocumentDataControllerElementDoAction(KRDocumentDataController& controller,
                                                                           KRDOMElement& element,
                                                                           const pf::ObjectRef& action)
{
    auto named = std::dynamic_pointer_cast<IKRAction>(action);
    if (!named || named->actionName() != "feed" || !url())
        return;
    std::optional<std::string_view> pid = element.attributeValueForKey("pid");
    if (!pid || pid->empty())
        return;
    // The details take their head from the focused post: without this the
    // head would show whichever post was focused last.
    auto document = element.document();
    auto context = this->context();
    if (!document || document->indexPath().size() != 2 || !context)
        return;
    const auto& path = document->indexPath();
    pf::Value row = controller.dataObjectByIndexPath({int(path[0]), int(path[1])});
    if (!row.isDictionary())
        return;
    context->setFocusValue(row, "feed");
    openRelativeUrl("user-details/feed-details", pf::Value(pf::Dictionary::create({{"pid", std::string(*pid)}})), true);
}
