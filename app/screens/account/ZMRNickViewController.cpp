#include "app/screens/account/ZMRNickViewController.h"

#include "app/screens/account/ZMRNickRule.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/foundation/Log.h"
#include "platform/ui/PerformRequest.h"

void ZMRNickViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    if (!context || !m_nickField)
        return;
    auto title = dataForKeyPath(context->userInfo(), "title").stringValue();
    if (title && title->rfind('#', 0) != 0)
        m_nickField->setText(*title);
}

bool ZMRNickViewController::textFieldShouldReturn(pf::TextField& field)
{
    if (&field != m_nickField.get())
        return true;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    pf::ObjectRef sender = m_nickField;
    pf::performAfterDelay(weak_from_this().lock(), "doSubmitAction", 0, [weakSelf, sender] {
        if (auto self = std::dynamic_pointer_cast<ZMRNickViewController>(weakSelf.lock()))
            self->doSubmitAction(sender);
    });
    return true;
}

void ZMRNickViewController::doSubmitAction(const pf::ObjectRef&)
{
    ZMRNickCheck check = ZMRCheckNick(m_nickField ? m_nickField->text() : std::string());
    if (check.refusal) {
        showAlert(*check.refusal);
        return;
    }
    auto task = std::make_shared<ZMRUpdateUserTask>();
    task->setNick(check.nick);
    sendUpdate(task);
}

void ZMRNickViewController::doLogoutAction(const pf::ObjectRef&)
{
    auto keep = weak_from_this().lock(); // the anonymous start page replaces this screen
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()))
        context->logout(true);
}

void ZMRNickViewController::userUpdateDidSucceed()
{
    auto keep = weak_from_this().lock(); // the start page replaces this screen
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()))
        context->toRootViewController(true);
}
