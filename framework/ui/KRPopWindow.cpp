#include "framework/ui/KRPopWindow.h"

#include "framework/core/IKRUIViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Screen.h"

#include <algorithm>

namespace {

constexpr double kDuration = 0.3;
constexpr double kCoveredScale = 0.98;
constexpr double kCoveredAlpha = 0.95;

std::vector<std::shared_ptr<KRPopWindow>>& openList()
{
    static auto* list = new std::vector<std::shared_ptr<KRPopWindow>>;
    return *list;
}

void cover(pf::Window& window)
{
    window.setTransform(pf::AffineTransform::scaling(kCoveredScale, kCoveredScale));
    window.setLayerMaskColor(window.layerMaskColor() ? pf::Color::white(0, kCoveredAlpha) : pf::Color::white(1, kCoveredAlpha));
}

void uncover(pf::Window& window)
{
    window.setLayerMaskColor(std::nullopt);
    window.setTransform(pf::AffineTransform::identity());
}

}

std::shared_ptr<KRPopWindow> KRPopWindow::popWindow()
{
    auto window = std::make_shared<KRPopWindow>(pf::Screen::main().bounds());
    window->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    return window;
}

std::shared_ptr<KRPopWindow> KRPopWindow::topPopWindow()
{
    return openList().empty() ? nullptr : openList().back();
}

const std::vector<std::shared_ptr<KRPopWindow>>& KRPopWindow::openWindows() { return openList(); }

void KRPopWindow::showAnimated(bool animated)
{
    if (!isHidden() || m_animating)
        return;
    auto self = std::static_pointer_cast<KRPopWindow>(this->self());
    if (!self)
        return;
    auto& list = openList();
    if (list.empty())
        list.reserve(4);
    m_keyWindow = pf::Screen::main().keyWindow();
    auto changes = [&] {
        if (m_keyWindow)
            cover(*m_keyWindow);
        uncover(*this);
    };
    list.push_back(self);
    if (animated) {
        m_animating = true;
        std::weak_ptr<KRPopWindow> weak = self;
        pf::View::animate(kDuration, changes, [weak](bool) {
            if (auto window = weak.lock())
                window->m_animating = false;
        });
        m_finishClose = nullptr;
    } else {
        changes();
    }
    makeKeyAndVisible();
}

void KRPopWindow::closeAnimated(bool animated)
{
    auto& list = openList();
    auto self = std::static_pointer_cast<KRPopWindow>(this->self());
    auto at = std::find(list.begin(), list.end(), self);
    if (m_animating || isHidden() || at == list.end())
        return;
    pf::RunLoop::main().post([self] {}); // alive until the next turn of the loop
    // The screen it holds leaves its opener now, so a cached one can be reused.
    if (auto root = std::dynamic_pointer_cast<IKRUIViewController>(rootViewController()))
        root->setParentController(nullptr);
    pf::WindowRef below = std::exchange(m_keyWindow, nullptr);
    std::shared_ptr<KRPopWindow> above = at + 1 != list.end() ? *(at + 1) : nullptr;
    if (above) {
        // The window above now covers ours; it restores what we covered.
        if (above->m_keyWindow == self)
            above->m_keyWindow = below;
    } else if (below && !below->isHidden() && below->superview() == nullptr) {
        bool shown = std::find(pf::Screen::main().windows().begin(), pf::Screen::main().windows().end(), below)
                     != pf::Screen::main().windows().end();
        if (shown)
            below->makeKeyWindow();
    }
    auto restore = [&] {
        if (below && !above)
            uncover(*below);
    };
    if (!animated) {
        restore();
        list.erase(at);
        setHidden(true);
        return;
    }
    m_animating = true;
    // Run by the animation's end or by finishAnimation(), whichever comes first.
    m_finishClose = [weak = std::weak_ptr<KRPopWindow>(self), weakBelow = std::weak_ptr<pf::Window>(below)] {
        auto window = weak.lock();
        if (!window || !window->m_animating)
            return;
        window->removeAllAnimations();
        if (auto under = weakBelow.lock())
            under->removeAllAnimations();
        window->m_animating = false;
        window->setHidden(true);
        window->setAlpha(1);
        std::erase(openList(), window);
    };
    pf::View::animate(kDuration, [&] {
        restore();
        setAlpha(0);
    }, [finish = m_finishClose](bool) { finish(); });
}

void KRPopWindow::finishAnimation()
{
    if (!m_animating)
        return;
    auto keep = self();
    if (auto finish = std::exchange(m_finishClose, nullptr)) {
        finish();
        return;
    }
    removeAllAnimations();
    if (m_keyWindow)
        m_keyWindow->removeAllAnimations();
    m_animating = false;
}

void KRPopWindow::closeAll()
{
    while (auto top = topPopWindow()) {
        top->finishAnimation();
        top->closeAnimated(false);
        if (topPopWindow() == top)
            return; // it stays open: never spin
    }
}
