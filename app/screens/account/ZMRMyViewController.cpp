#include "app/screens/account/ZMRMyViewController.h"

#include "app/screens/account/ZMRNickRule.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRImageTask.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/QueryValue.h"
#include "framework/ui/KRAlertView.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"

namespace {

std::function<bool()>& cameraCheck()
{
    static std::function<bool()> check;
    return check;
}

bool hasCamera()
{
    if (cameraCheck())
        return cameraCheck()();
    return pf::ImagePickerController::isSourceTypeAvailable(pf::ImagePickerSourceType::Camera);
}

}

void ZMRMyViewController::setCameraAvailableForTesting(std::function<bool()> available)
{
    cameraCheck() = std::move(available);
}

ZMRMyViewController::~ZMRMyViewController()
{
    cancelPortrait();
}

void ZMRMyViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    auto context = this->context();
    if (!m_imageView || !context)
        return;
    m_imageView->setSource(weak_from_this().lock());
    context->handle(proto::IKRImageTask(), m_imageView, 0);
}

void ZMRMyViewController::cancelPortrait()
{
    if (auto context = this->context(); context && m_imageView)
        context->cancelHandle(proto::IKRImageTask(), m_imageView);
}

pf::BitmapRef ZMRMyViewController::logoImage() const
{
    if (!m_imageView)
        return nullptr;
    const pf::ImageRef& shown = m_imageView->image();
    if (!shown || shown == m_imageView->defaultImage())
        return nullptr;
    return shown->bitmap();
}

void ZMRMyViewController::doLogoAction(const pf::ObjectRef&)
{
    if (m_nickTextField)
        m_nickTextField->resignFirstResponder();
    if (!hasCamera()) {
        presentPicker(pf::ImagePickerSourceType::PhotoLibrary);
        return;
    }
    auto context = this->context();
    if (!context)
        return;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    context->waitResultsData([weakSelf](const pf::Value& answer) {
        auto self = std::dynamic_pointer_cast<ZMRMyViewController>(weakSelf.lock());
        auto key = answer.stringValue();
        if (!self || !key)
            return;
        if (*key == "camera")
            self->presentPicker(pf::ImagePickerSourceType::Camera);
        else if (*key == "library")
            self->presentPicker(pf::ImagePickerSourceType::PhotoLibrary);
    });
    if (auto prompt = pf::URL::create(escapeURLText("pop:///image-picker?title=更换头像")))
        openUrl(*prompt, true);
}

void ZMRMyViewController::presentPicker(pf::ImagePickerSourceType sourceType)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    auto top = context ? context->topPresentViewController() : nullptr;
    if (!top) {
        pf::log("%s: no screen to present the picker from", screenClassName().c_str());
        return;
    }
    auto picker = std::make_shared<pf::ImagePickerController>();
    picker->setDelegate(std::dynamic_pointer_cast<pf::ImagePickerControllerDelegate>(weak_from_this().lock()));
    picker->setAllowsEditing(true);
    picker->setSourceType(sourceType);
    top->presentModalViewController(picker, true);
}

void ZMRMyViewController::imagePickerControllerDidFinishPickingMediaWithInfo(pf::ImagePickerController& picker,
                                                                             const pf::DictionaryRef& info)
{
    auto image = info ? info->get(pf::ImagePickerControllerEditedImage).objectAs<pf::Image>() : nullptr;
    if (!image && info)
        image = info->get(pf::ImagePickerControllerOriginalImage).objectAs<pf::Image>();
    if (image && m_imageView) {
        cancelPortrait();
        m_imageView->setImage(image, true);
    }
    picker.dismissModalViewControllerAnimated(true);
}

void ZMRMyViewController::imagePickerControllerDidCancel(pf::ImagePickerController& picker)
{
    picker.dismissModalViewControllerAnimated(true);
}

void ZMRMyViewController::doSaveAction(const pf::ObjectRef&)
{
    // Saving ends the typing: the keyboard goes whatever the outcome.
    if (m_nickTextField)
        m_nickTextField->resignFirstResponder();
    ZMRNickCheck check = ZMRCheckNick(m_nickTextField ? m_nickTextField->text() : std::string());
    if (check.refusal) {
        showAlert(*check.refusal);
        return;
    }
    auto task = std::make_shared<ZMRUpdateUserTask>();
    task->setNick(check.nick);
    task->setLogoImage(logoImage());
    sendUpdate(task);
}

void ZMRMyViewController::userUpdateDidSucceed()
{
    KRAlertView::create("保存成功")->showDuration(1.2);
}
