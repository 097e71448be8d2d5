#pragma once

// The phone's back for a tree of screens, after the platform has closed the
// keyboard and any sheet or alert: the topmost pop window closes, else the
// topmost presented screen is dismissed, else the top screen goes back as
// its back control does (KRViewController::goBack, which a screen may
// override; backURL for any other routed controller), so the URLs of the
// screens stay in step with what shows. A screen placed directly in the root
// stays: nothing goes back and the answer is false. Answers whether anything
// went back.
//
// Main queue only.

#include <memory>

class IKRUIViewController;

bool KRGoBack(const std::shared_ptr<IKRUIViewController>& root, bool animated);
