#pragma once

// A style outlet dresses its views from one or more blank-separated style
// names of a style sheet: every key of the winning entries is set on every
// view by key-value coding, so any settable key of a view can be styled.
// A key a view lacks, or a value of the wrong type, skips that key on that
// view (one log line per class and key for the whole process); the other
// keys and views still apply. Keys a later apply no longer sets keep their
// values.
//
// Outlets are interface-file objects grouped by a KRStyleOutletContainer,
// which owns the sheet; an outlet only watches it. Main queue only.

#include "framework/ui/KRStyleSheet.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"

#include <memory>
#include <optional>
#include <string>

class KRStyleOutlet : public pf::Object {
public:
    // Sets the styles on the views and records the sheet's version (0
    // without a sheet, which sets nothing).
    void applyStyle();

    const std::optional<std::string>& styleName() const { return m_styleName; }
    // A different name applies at once when the outlet has a sheet.
    void setStyleName(std::optional<std::string> name);
    pf::ArrayRef views() const { return m_views; }
    void setViews(pf::ArrayRef views) { m_views = std::move(views); }
    std::shared_ptr<KRStyleSheet> styleSheet() const { return m_styleSheet.lock(); }
    // Stores the sheet (not kept) and applies, also for the same sheet.
    void setStyleSheet(const std::shared_ptr<KRStyleSheet>& sheet);
    int version() const { return m_version; }
    void setVersion(int version) { m_version = version; }
    // The status word that selects the outlet in its container; nil: always.
    const std::optional<std::string>& status() const { return m_status; }
    void setStatus(std::optional<std::string> status) { m_status = std::move(status); }

private:
    std::optional<std::string> m_styleName;
    pf::ArrayRef m_views;
    std::weak_ptr<KRStyleSheet> m_styleSheet;
    int m_version = 0;
    std::optional<std::string> m_status;
};
