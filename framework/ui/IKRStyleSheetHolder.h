#pragma once

// What a screen needs of its style outlet container: the shell's style sheet,
// handed over once the view has loaded, dresses the container's views.
//
// Main queue only.

#include <memory>

class KRStyleSheet;

class IKRStyleSheetHolder {
public:
    virtual ~IKRStyleSheetHolder() = default;
    virtual void setStyleSheet(std::shared_ptr<KRStyleSheet> sheet) = 0;
};
