#pragma once

// A modal message box with a title, a message and buttons, shown in a
// window of its own above everything. The cancel button, when given, has
// index 0 and the other buttons follow in order. The alert keeps itself
// alive from show() until it is dismissed, so a caller may drop it at once.
//
// Main thread only. The delegate is not retained; it hears of the tapped
// button, then of the dismissal.

#include "platform/ui/View.h"

#include <string>
#include <vector>

namespace pf {

class AlertView;
class Button;

class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(AlertView&, int /*buttonIndex*/) {}
    virtual void alertViewDidDismissWithButtonIndex(AlertView&, int /*buttonIndex*/) {}
};

class AlertView : public View {
public:
    AlertView(std::string title, std::string message, const std::shared_ptr<AlertViewDelegate>& delegate,
              const std::string& cancelButtonTitle, const std::vector<std::string>& otherButtonTitles);

    const std::string& title() const { return m_title; }
    const std::string& message() const { return m_message; }
    void setDelegate(const std::shared_ptr<AlertViewDelegate>& delegate) { m_delegate = delegate; }
    // Answers the new button's index.
    int addButtonWithTitle(const std::string& title);
    int numberOfButtons() const { return static_cast<int>(m_buttonTitles.size()); }
    std::string buttonTitleAtIndex(int index) const;
    // -1 without a cancel button.
    int cancelButtonIndex() const { return m_cancelIndex; }

    void show();
    bool isVisible() const { return m_window != nullptr; }
    // Closes the alert as if the button had been tapped, without telling of a tap.
    void dismissWithClickedButtonIndex(int index, bool animated);
    // Back chooses the cancel button; an alert without one waits for a
    // choice, and back goes no further while it is shown.
    bool performBack() override;
    // Alerts on screen now, oldest first.
    static std::vector<std::shared_ptr<AlertView>> visibleAlerts();

    std::string textContent() const override { return m_title + "\n" + m_message; }

private:
    void buttonTapped(int index);
    void build();

    std::string m_title;
    std::string m_message;
    std::weak_ptr<AlertViewDelegate> m_delegate;
    std::vector<std::string> m_buttonTitles;
    int m_cancelIndex = -1;
    WindowRef m_window;
};

}
