#include "app/screens/account/ZMRMenuViewController.h"

#include "app/services/ZMRContext.h"
#include "framework/core/IKRImageTask.h"
#include "framework/core/IKRUIContext.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRImageView.h"
#include "platform/foundation/NotificationCenter.h"

ZMRMenuViewController::~ZMRMenuViewController()
{
    cancelPortrait();
    if (m_observerToken)
        pf::NotificationCenter::defaultCenter().removeObserver(m_observerToken);
}

void ZMRMenuViewController::initWithNibName(const std::optional<std::string>& nibName,
                                            const std::shared_ptr<pf::Bundle>& bundle)
{
    ZMRViewController::initWithNibName(nibName, bundle);
    if (m_observerToken)
        return;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    m_observerToken = pf::NotificationCenter::defaultCenter().addObserver(
        ZMRUserInfoChangedNotification, m_observerLife, [weakSelf](const pf::Notification&) {
            if (auto self = std::dynamic_pointer_cast<ZMRMenuViewController>(weakSelf.lock()))
                self->userInfoChangedAction();
        });
}

void ZMRMenuViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    sendPortrait();
}

void ZMRMenuViewController::userInfoChangedAction()
{
    auto keep = weak_from_this().lock();
    cancelPortrait();
    if (auto outlets = dataOutletContainer())
        outlets->applyDataOutlet(pf::Value(keep));
    sendPortrait();
}

void ZMRMenuViewController::sendPortrait()
{
    auto context = this->context();
    if (!m_imageView || !context)
        return;
    m_imageView->setSource(weak_from_this().lock());
    context->handle(proto::IKRImageTask(), m_imageView, 0);
}

void ZMRMenuViewController::cancelPortrait()
{
    if (auto context = this->context(); context && m_imageView)
        context->cancelHandle(proto::IKRImageTask(), m_imageView);
}

void ZMRMenuViewController::logoutAction(const pf::ObjectRef&)
{
    auto delegate = std::dynamic_pointer_cast<pf::ActionSheetDelegate>(weak_from_this().lock());
    auto sheet = std::make_shared<pf::ActionSheet>("", delegate, "取消", "注销", std::vector<std::string>{});
    sheet->showInView(view());
}

void ZMRMenuViewController::actionSheetClickedButtonAtIndex(pf::ActionSheet&, int buttonIndex)
{
    if (buttonIndex != 0)
        return;
    auto keep = weak_from_this().lock();
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()))
        context->logout(true);
}
