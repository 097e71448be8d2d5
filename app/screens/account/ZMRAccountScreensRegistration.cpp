#include "app/screens/account/ZMRAccountScreensRegistration.h"
#include "app/screens/account/ZMRBrowserViewController.h"
#include "app/screens/account/ZMRInviteViewController.h"
#include "app/screens/account/ZMRLoginViewController.h"
#include "app/screens/account/ZMRMenuViewController.h"
#include "app/screens/account/ZMRMessageViewController.h"
#include "app/screens/account/ZMRMoreViewController.h"
#include "app/screens/account/ZMRMyViewController.h"
#include "app/screens/account/ZMRNickViewController.h"
#include "app/screens/account/ZMRRegisterViewController.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationItem.h"
#include "platform/foundation/ClassBuilder.h"

void registerAccountScreens()
{
    pf::ClassBuilder<ZMRLoginViewController>("ZMRLoginViewController")
        .superclass<ZMRViewController>()
        .property("accountField", &ZMRLoginViewController::accountField, &ZMRLoginViewController::setAccountField)
        .property("passwordField", &ZMRLoginViewController::passwordField, &ZMRLoginViewController::setPasswordField)
        .property("statusView", &ZMRLoginViewController::statusView, &ZMRLoginViewController::setStatusView)
        .property("zzButton", &ZMRLoginViewController::zzButton, &ZMRLoginViewController::setZzButton)
        .property("voxlyButton", &ZMRLoginViewController::voxlyButton, &ZMRLoginViewController::setVoxlyButton)
        .action("loginAction", &ZMRLoginViewController::loginAction)
        .action("voxlyLoginAction", &ZMRLoginViewController::voxlyLoginAction)
        .action("zzLoginAction", &ZMRLoginViewController::zzLoginAction)
        .commit();
    pf::ClassBuilder<ZMRRegisterViewController>("ZMRRegisterViewController")
        .superclass<ZMRViewController>()
        .property("accountField", &ZMRRegisterViewController::accountField, &ZMRRegisterViewController::setAccountField)
        .property("passwordField", &ZMRRegisterViewController::passwordField, &ZMRRegisterViewController::setPasswordField)
        .property("nickField", &ZMRRegisterViewController::nickField, &ZMRRegisterViewController::setNickField)
        .property("statusView", &ZMRRegisterViewController::statusView, &ZMRRegisterViewController::setStatusView)
        .action("doCommitAction", &ZMRRegisterViewController::doCommitAction)
        .action("doCancelInputAction", &ZMRRegisterViewController::doCancelInputAction)
        .commit();
    pf::ClassBuilder<ZMRMenuViewController>("ZMRMenuViewController")
        .superclass<ZMRViewController>()
        .property("imageView", &ZMRMenuViewController::imageView, &ZMRMenuViewController::setImageView)
        .action("logoutAction", &ZMRMenuViewController::logoutAction)
        .commit();
    pf::ClassBuilder<ZMRMyViewController>("ZMRMyViewController")
        .superclass<ZMRViewController>()
        .property("imageView", &ZMRMyViewController::imageView, &ZMRMyViewController::setImageView)
        .property("nickTextField", &ZMRMyViewController::nickTextField, &ZMRMyViewController::setNickTextField)
        .property("statusView", &ZMRMyViewController::statusView, &ZMRMyViewController::setStatusView)
        .action("doLogoAction", &ZMRMyViewController::doLogoAction)
        .action("doSaveAction", &ZMRMyViewController::doSaveAction)
        .commit();
    pf::ClassBuilder<ZMRNickViewController>("ZMRNickViewController")
        .superclass<ZMRViewController>()
        .property("statusView", &ZMRNickViewController::statusView, &ZMRNickViewController::setStatusView)
        .property("nickField", &ZMRNickViewController::nickField, &ZMRNickViewController::setNickField)
        .action("doSubmitAction", &ZMRNickViewController::doSubmitAction)
        .action("doLogoutAction", &ZMRNickViewController::doLogoutAction)
        .commit();
    pf::ClassBuilder<ZMRInviteViewController>("ZMRInviteViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRMoreViewController>("ZMRMoreViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRMessageViewController>("ZMRMessageViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRBrowserViewController>("ZMRBrowserViewController")
        .superclass<ZMRViewController>()
        .property("webView", &ZMRBrowserViewController::webView, &ZMRBrowserViewController::setWebView)
        .property("toolItem", &ZMRBrowserViewController::toolItem, &ZMRBrowserViewController::setToolItem)
        .property("refusedLabel", &ZMRBrowserViewController::refusedLabel, &ZMRBrowserViewController::setRefusedLabel)
        .commit();
}
