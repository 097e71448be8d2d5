#include "sdk/zz/SetUserHeaderImageUiKit.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CvApiTool.h"

namespace {

bool usable(const pf::ImageRef& image) { return image && image->pixelWidth() > 0 && image->pixelHeight() > 0; }

// Hands picture and nickname over once the screen is up.
void setLater(const std::shared_ptr<SetHeadImageViewController>& screen, double delay, const pf::ImageRef& image,
              const std::optional<std::string>& nick)
{
    std::weak_ptr<SetHeadImageViewController> weak = screen;
    pf::RunLoop::main().scheduleTimer(pf::Seconds(delay), false, [weak, image, nick] {
        auto controller = weak.lock();
        if (!controller)
            return;
        if (nick)
            controller->setNick(*nick);
        controller->setImage(image);
    });
}

}

SetUserHeaderImageUiKit::~SetUserHeaderImageUiKit() { closeWindow(); }

std::shared_ptr<SetHeadImageViewController> SetUserHeaderImageUiKit::screen() const
{
    if (m_window)
        return std::dynamic_pointer_cast<SetHeadImageViewController>(m_window->rootViewController());
    return m_headImageViewController;
}

bool SetUserHeaderImageUiKit::popSetHeadImageViewWnd(std::weak_ptr<setHeadImageDelegate> delegate,
                                                     const pf::ImageRef& image, const std::string& fileName,
                                                     const std::optional<std::string>& userNick)
{
    if (!usable(image) || m_window)
        return false;
    m_keywindow = pf::Application::shared().keyWindow();
    pf::Rect screenBounds = pf::Screen::main().bounds();
    for (const auto& window : pf::Screen::main().windows()) {
        if (CvApiTool::isWindowOffScreen(window->frame()))
            m_windowsArray.push_back(window);
    }
    CvApiTool::MoveAllWindowOutOfScreen(m_windowsArray, false);
    m_window = pf::Window::create(screenBounds);
    m_window->makeKeyAndVisible();
    auto controller = std::make_shared<SetHeadImageViewController>(m_appId, fileName, std::move(delegate));
    m_window->setRootViewController(controller);
    m_windowsArray.push_back(m_window);
    CVDataReport::reportData(0, pf::Value("10653"), m_appId, std::nullopt);
    setLater(controller, 0.01, image, userNick);
    return true;
}

std::shared_ptr<SetHeadImageViewController> SetUserHeaderImageUiKit::getHeadImageViewController(
    std::weak_ptr<setHeadImageDelegate> delegate, const pf::ImageRef& image, const std::string& fileName,
    const std::optional<std::string>& userNick)
{
    if (!usable(image))
        return nullptr;
    m_headImageViewController = std::make_shared<SetHeadImageViewController>(m_appId, fileName, std::move(delegate));
    CVDataReport::reportData(0, pf::Value("10653"), m_appId, std::nullopt);
    setLater(m_headImageViewController, 0.1, image, userNick);
    return m_headImageViewController;
}

bool SetUserHeaderImageUiKit::setViewControllerData(const pf::DictionaryRef& data)
{
    auto controller = screen();
    return controller && controller->setViewControllerData(data);
}

bool SetUserHeaderImageUiKit::setViewControllerResponse(const std::shared_ptr<APIResponse>& response)
{
    auto controller = screen();
    return controller && controller->setViewControllerResponse(response);
}

void SetUserHeaderImageUiKit::doClose()
{
    if (m_window) {
        CvApiTool::MoveAllWindowIntoScreen(m_windowsArray, false);
        closeWindow();
    }
    m_headImageViewController = nullptr;
}

void SetUserHeaderImageUiKit::closeWindow()
{
    if (!m_window)
        return;
    auto controller = std::dynamic_pointer_cast<SetHeadImageViewController>(m_window->rootViewController());
    if (controller)
        CVDataReport::reportData(0, pf::Value(controller->nick() ? "10659" : "10661"), m_appId, std::nullopt);
    m_window->setRootViewController(nullptr);
    m_window->setHidden(true);
    if (auto key = std::exchange(m_keywindow, nullptr))
        key->makeKeyWindow();
    m_window = nullptr;
    m_windowsArray.clear();
}
