#pragma once

// A stack of screens shown as full-size cards laid over each other, with no
// bar of its own. The part of a URL's path below this controller's own path
// names one card per component, bottom first; loading it keeps the cards
// from the bottom whose aliases still match (the card the URL opens only
// when its query is the one it was opened with), makes the rest through the
// shell and sets the stack. A new top slides in from the right over 0.3 s
// while the card below takes the covered look (scaled to 0.98, dimmed by a
// white mask at alpha 0.8); a leaving top slides out to the right while the
// card below grows back.
//
// One finger dragging the top card to the right uncovers the card below
// (its scale and mask easing towards the resting look); releasing while
// moving right pops, otherwise the card slides back. A drag changes only
// frames, transforms and mask colours, never drawn content. The top screen
// switches dragging off with a true "heap.disabled" in its configuration.
// While a card animates or is dragged, URLs (openUrl answers no), pushes and
// pops are refused, and the interface keeps its orientation.
//
// A card that leaves the stack loses its parent link. A completion takes a
// card's view off only when the card was not shown again since it started.
//
// Default scheme "nav". Main queue only.

#include "framework/ui/KRViewController.h"

#include <cstdint>
#include <map>

class KRHeapViewController : public KRViewController {
public:
    KRHeapViewController() = default;
    ~KRHeapViewController() override;

    const std::vector<pf::ViewControllerRef>& viewControllers() const { return m_stack; }
    pf::ViewControllerRef topViewController() const { return m_stack.empty() ? nullptr : m_stack.back(); }
    // Keeps the leading cards it shares with the stack; a list equal to the
    // stack only makes sure the top card is in place.
    void setViewControllers(std::vector<pf::ViewControllerRef> controllers, bool animated);
    void pushViewController(const pf::ViewControllerRef& controller, bool animated);
    void popViewController(bool animated);
    bool isAnimating() const { return m_animating > 0; }
    bool isDragging() const { return m_dragging; }
    // How many card views have their shows counted: the stack's, and those
    // of cards that left it while their views are still sliding off.
    std::size_t countedCardViews() const { return m_generations.size(); }
    // The image of the navigation item's title view, when that is an image view.
    pf::ImageRef titleImage() const;
    void setTitleImage(const pf::ImageRef& image);

    void setConfig(pf::DictionaryRef config) override;
    bool openUrl(const pf::URL& url, bool animated) override;
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override;
    std::shared_ptr<IKRUIViewController> topController() override;

    void viewDidLoad() override;
    void viewDidUnload() override;
    bool shouldAutorotateToInterfaceOrientation(int orientation) const override;
    bool shouldAutorotate() const override;
    unsigned supportedInterfaceOrientations() const override;

protected:
    std::string defaultScheme() const override { return "nav"; }

private:
    void addViewController(const pf::ViewControllerRef& c, bool animated);
    void hiddenViewController(const pf::ViewControllerRef& c, bool animated);
    void removeViewController(const pf::ViewControllerRef& c, bool animated);
    void visableViewController(const pf::ViewControllerRef& c, bool animated);
    // Without an animation, or off screen, the card is put in place at once
    // (true); false leaves the animated entry to the caller.
    bool placedAtOnce(const pf::ViewControllerRef& c, bool animated, bool heapShown);
    // The card's view leaves: at once, or once `move` has animated it away
    // and unless the card was shown again meanwhile.
    void takeOff(const pf::ViewControllerRef& c, bool animated, std::function<void(pf::View&)> move);
    void leave(const pf::ViewControllerRef& c);
    // Stops counting the shows of a card that left the stack, once its view is off.
    void forget(const pf::ViewControllerRef& c);
    void panAction(pf::GestureRecognizer& recognizer);
    void endDrag(double offset);
    bool onScreen(const pf::ViewRef& view) const;
    pf::Rect cardFrame(double x = 0) const;
    // The view joins the own view (at the back when asked), at rest or covered.
    pf::ViewRef install(const pf::ViewControllerRef& c, pf::Rect frame, bool atBack);
    std::uint64_t shown(const pf::View& view);
    std::uint64_t generation(const pf::View& view) const;
    std::function<void(bool)> weakly(std::function<void(KRHeapViewController&)> step);

    std::vector<pf::ViewControllerRef> m_stack;
    std::shared_ptr<pf::PanGestureRecognizer> m_pan;
    bool m_dragging = false;
    pf::Point m_panBegin, m_panPrev;
    int m_direction = 0;
    int m_animating = 0;
    std::uint64_t m_lastGeneration = 0;
    std::map<const pf::View*, std::uint64_t> m_generations;
};
