#pragma once

// The question whether to install the Voxly app, asked when a request other
// than an authorisation finds no Voxly app. One shared object; a second
// send while it shows replaces the waiting request. "现在下载" opens the
// download page and removes the request's board; "以后再说" answers the
// request with -4 through the app's own URL handler. Main queue.

#include "platform/controls/AlertView.h"
#include "sdk/voxly/Forward.h"

class InstallVoxlyAppAlert final : public pf::AlertViewDelegate, public std::enable_shared_from_this<InstallVoxlyAppAlert> {
public:
    static const std::shared_ptr<InstallVoxlyAppAlert>& shared();

    void alertWithTransferObject(std::shared_ptr<VXDataTransferObject> object);
    const std::shared_ptr<VXDataTransferObject>& transferObject() const { return m_transferObject; }
    void alertViewDidDismissWithButtonIndex(pf::AlertView& alert, int buttonIndex) override;

private:
    std::shared_ptr<VXDataTransferObject> m_transferObject;
};
