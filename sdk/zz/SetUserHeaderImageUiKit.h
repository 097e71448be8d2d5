#pragma once

// Shows the set-portrait screen in a window of its own over the application
// (the other windows moved off the screen meanwhile), or hands the screen to
// the caller to present. One window at a time; closing it brings the other
// windows and the earlier key window back.
//
// Main queue only. The delegate is not retained.

#include "platform/foundation/Collections.h"
#include "platform/graphics/Forward.h"
#include "platform/ui/Forward.h"
#include "sdk/zz/SetHeadImageViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class SetUserHeaderImageUiKit {
public:
    explicit SetUserHeaderImageUiKit(std::string appId) : m_appId(std::move(appId)) {}
    ~SetUserHeaderImageUiKit();

    // False without a picture (or one with a zero side) or while a window shows.
    bool popSetHeadImageViewWnd(std::weak_ptr<setHeadImageDelegate> delegate, const pf::ImageRef& image,
                                const std::string& fileName, const std::optional<std::string>& userNick);
    std::shared_ptr<SetHeadImageViewController> getHeadImageViewController(std::weak_ptr<setHeadImageDelegate> delegate,
                                                                          const pf::ImageRef& image,
                                                                          const std::string& fileName,
                                                                          const std::optional<std::string>& userNick);
    bool setViewControllerData(const pf::DictionaryRef& data);
    bool setViewControllerResponse(const std::shared_ptr<APIResponse>& response);
    void doClose();
    void closeWindow();

    const pf::WindowRef& window() const { return m_window; }
    std::shared_ptr<SetHeadImageViewController> screen() const;
    // The screen handed out by getHeadImageViewController() until doClose();
    // null for one shown in the kit's own window.
    const std::shared_ptr<SetHeadImageViewController>& headImageViewController() const
    {
        return m_headImageViewController;
    }

private:
    std::string m_appId;
    pf::WindowRef m_window;
    pf::WindowRef m_keywindow;
    std::vector<pf::WindowRef> m_windowsArray;
    std::shared_ptr<SetHeadImageViewController> m_headImageViewController;
};
