#include "sdk/voxly/InstallVoxlyAppAlert.h"

#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK.h"

const std::shared_ptr<InstallVoxlyAppAlert>& InstallVoxlyAppAlert::shared()
{
    static auto alert = std::make_shared<InstallVoxlyAppAlert>();
    return alert;
}

void InstallVoxlyAppAlert::alertWithTransferObject(std::shared_ptr<VXDataTransferObject> object)
{
    m_transferObject = std::move(object);
    auto alert = std::make_shared<pf::AlertView>("", "未安装沃丽客户端，\n是否现在去下载？", shared_from_this(),
                                                 "以后再说", std::vector<std::string>{"现在下载"});
    alert->show();
}

void InstallVoxlyAppAlert::alertViewDidDismissWithButtonIndex(pf::AlertView& alert, int buttonIndex)
{
    auto object = std::move(m_transferObject);
    m_transferObject = nullptr;
    if (!object)
        return;
    if (buttonIndex != alert.cancelButtonIndex()) {
        if (auto url = pf::URL::create(VoxlySDK::settings().downloadURL))
            pf::Application::shared().openURL(*url);
        object->removeFromPasteboard();
        return;
    }
    if (auto request = std::dynamic_pointer_cast<VXBaseRequest>(object)) {
        auto response = request->makeAssociatedResponse();
        response->statusCode = VoxlySDK::kUserCancelInstallStatusCode;
        response->requestID = request->requestID();
        VoxlySDK::directlySendResponseToCurrentApp(response);
    }
}
