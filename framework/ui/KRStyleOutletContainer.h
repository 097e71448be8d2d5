#pragma once

// The style outlets of one screen, cell or item view. The container owns
// the style sheet, hands it to its outlets and applies them again whenever
// the sheet's version changes (its style controller was replaced), its
// status changes or it gets another sheet. An outlet whose status does not
// occur in the container's status text is given no sheet and sets nothing;
// either status nil means no filtering.
//
// Controllers call setStyleSheet() once their view has loaded. The
// container must be owned by a shared pointer to follow the sheet's version.
// Main queue only.

#include "framework/ui/IKRStyleSheetHolder.h"
#include "framework/ui/KRStyleSheet.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"

#include <memory>
#include <optional>
#include <string>

class KRStyleOutletContainer : public pf::Object, public KRStyleSheetObserver, public IKRStyleSheetHolder {
public:
    ~KRStyleOutletContainer() override;

    // Applies every outlet of `styles` in order (entries that are not style
    // outlets are passed over).
    void applyStyleSheet();

    pf::ArrayRef styles() const { return m_styles; }
    void setStyles(pf::ArrayRef styles) { m_styles = std::move(styles); }
    const std::optional<std::string>& status() const { return m_status; }
    // A different text applies again.
    void setStatus(std::optional<std::string> status);
    const std::shared_ptr<KRStyleSheet>& styleSheet() const { return m_styleSheet; }
    // A different sheet is kept, followed and applied; the same does nothing.
    void setStyleSheet(std::shared_ptr<KRStyleSheet> sheet) override;

    void styleSheetVersionDidChange(KRStyleSheet& sheet, int oldVersion, int newVersion) override;

private:
    pf::ArrayRef m_styles;
    std::optional<std::string> m_status;
    std::shared_ptr<KRStyleSheet> m_styleSheet;
};
