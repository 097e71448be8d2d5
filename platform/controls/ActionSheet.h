#pragma once

// A list of choices sliding up from the bottom of the screen: the
// destructive button first (red), then the other buttons, then the cancel
// button last, indexed in that order. Tapping outside the buttons chooses
// cancel. The sheet keeps itself alive while shown.
//
// Main thread only. The delegate is not retained.

#include "platform/ui/View.h"

#include <string>
#include <vector>

namespace pf {

class ActionSheet;

class ActionSheetDelegate {
public:
    virtual ~ActionSheetDelegate() = default;
    virtual void actionSheetClickedButtonAtIndex(ActionSheet&, int /*buttonIndex*/) {}
    virtual void actionSheetDidDismissWithButtonIndex(ActionSheet&, int /*buttonIndex*/) {}
};

class ActionSheet : public View {
public:
    ActionSheet(std::string title, const std::shared_ptr<ActionSheetDelegate>& delegate, const std::string& cancelButtonTitle,
                const std::string& destructiveButtonTitle, const std::vector<std::string>& otherButtonTitles);

    const std::string& title() const { return m_title; }
    int numberOfButtons() const { return static_cast<int>(m_buttonTitles.size()); }
    std::string buttonTitleAtIndex(int index) const;
    int cancelButtonIndex() const { return m_cancelIndex; }
    int destructiveButtonIndex() const { return m_destructiveIndex; }

    // Shown over the screen from the bottom of the view's window.
    void showInView(const ViewRef& view);
    bool isVisible() const { return m_window != nullptr; }
    void dismissWithClickedButtonIndex(int index, bool animated);

    void touchesEnded(const TouchSet& touches) override;
    // Back chooses cancel, as a tap beside the buttons does.
    bool performBack() override;

private:
    void buttonTapped(int index);

    std::string m_title;
    std::weak_ptr<ActionSheetDelegate> m_delegate;
    std::vector<std::string> m_buttonTitles;
    int m_cancelIndex = -1;
    int m_destructiveIndex = -1;
    WindowRef m_window;
    std::shared_ptr<ActionSheet> m_selfWhileShown;
};

}
