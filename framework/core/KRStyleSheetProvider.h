#pragma once

// The shell hands out the two application-wide style sheets, but their
// classes live above the core: the markup engine's style sheet and the UI
// kit's named-style sheet. Each of those libraries installs a provider from
// its registration function; the shell only holds the sheets it made.
// Without a provider the shell has no such sheet (it answers null and logs).
//
// Main queue only. Providers live for the process; installing again
// replaces the provider for sheets made later.

#include <memory>
#include <string_view>

class KRDOMStyleSheet;
class KRStyleController;
class KRStyleSheet;

class IKRDOMStyleSheetProvider {
public:
    virtual ~IKRDOMStyleSheetProvider() = default;
    // A new, empty sheet.
    virtual std::shared_ptr<KRDOMStyleSheet> makeDOMStyleSheet() = 0;
    // Adds the rules of `text` to the sheet and raises its version by one.
    virtual void loadDOMStyleSheet(KRDOMStyleSheet& sheet, std::string_view text) = 0;
};

class IKRStyleSheetProvider {
public:
    virtual ~IKRStyleSheetProvider() = default;
    virtual std::shared_ptr<KRStyleSheet> makeStyleSheet() = 0;
    virtual std::shared_ptr<KRStyleController> styleController(KRStyleSheet& sheet) = 0;
    virtual void setStyleController(KRStyleSheet& sheet, std::shared_ptr<KRStyleController> controller) = 0;
};

void setDOMStyleSheetProvider(std::shared_ptr<IKRDOMStyleSheetProvider> provider);
const std::shared_ptr<IKRDOMStyleSheetProvider>& domStyleSheetProvider();
void setStyleSheetProvider(std::shared_ptr<IKRStyleSheetProvider> provider);
const std::shared_ptr<IKRStyleSheetProvider>& styleSheetProvider();
