#pragma once

// The side menu of the fold drawer: the signed-in user's portrait, nickname
// and points (data outlets of its interface file, the screen as data
// object, so "context.nick" and "context.integral"), its entries (buttons
// that open URLs through the base screen's actions) and the sign-out.
//
// From creation to release it follows "ZMRUserInfoChangedNotification",
// on screen or not: the portrait's download is withdrawn, the outlets are
// applied again and the portrait is sent again, so points after a coin
// task or a new portrait show without reopening the menu. The portrait is
// an image task whose source is the screen; its download is withdrawn when
// the screen goes.
//
// The sign-out asks first with a sheet: "注销" (index 0) signs out through
// the context, animated; "取消" changes nothing.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "platform/controls/ActionSheet.h"

#include <cstdint>

class KRImageView;

class ZMRMenuViewController : public ZMRViewController, public pf::ActionSheetDelegate {
public:
    ~ZMRMenuViewController() override;

    const std::shared_ptr<KRImageView>& imageView() const { return m_imageView; }
    void setImageView(std::shared_ptr<KRImageView> view) { m_imageView = std::move(view); }

    void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) override;
    void viewDidLoad() override;
    void userInfoChangedAction();
    void logoutAction(const pf::ObjectRef& sender);
    void actionSheetClickedButtonAtIndex(pf::ActionSheet& sheet, int buttonIndex) override;

private:
    void sendPortrait();
    void cancelPortrait();

    std::shared_ptr<KRImageView> m_imageView;
    // Keeps the notification registration; the token removes it.
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::uint64_t m_observerToken = 0;
};
