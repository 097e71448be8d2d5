#pragma once

// The data outlets of one screen, cell or item view, applied together. The
// container's `status` selects outlets: one whose own status does not occur
// in the container's text is skipped; either status nil means no filtering.
//
// Main queue only.

#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"

#include <optional>
#include <string>

class KRDataOutletContainer : public pf::Object {
public:
    // Applies the selected outlets to `item`, in order; entries that are not
    // data outlets are passed over.
    void applyDataOutlet(const pf::Value& item);

    pf::ArrayRef dataOutlets() const { return m_dataOutlets; }
    void setDataOutlets(pf::ArrayRef outlets) { m_dataOutlets = std::move(outlets); }
    const std::optional<std::string>& status() const { return m_status; }
    void setStatus(std::optional<std::string> status) { m_status = std::move(status); }

private:
    pf::ArrayRef m_dataOutlets;
    std::optional<std::string> m_status;
};
