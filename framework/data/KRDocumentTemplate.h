#pragma once

// What a document controller fills its markup template from: the template
// file's name ("html") and bundle, whose text is read once per name and
// bundle, and the data item that placeholders reach as "dataItem.…" (for a
// list of documents, the row filled last).
//
// Main queue only.

#include "framework/data/KRTemplateText.h"
#include "platform/foundation/Value.h"

class KRDocumentTemplate {
public:
    virtual ~KRDocumentTemplate() = default;

    const std::optional<std::string>& html() const { return m_template.name(); }
    void setHtml(std::optional<std::string> html) { m_template.setName(std::move(html)); }
    // Null means the main bundle.
    const std::shared_ptr<pf::Bundle>& bundle() const { return m_template.bundle(); }
    void setBundle(std::shared_ptr<pf::Bundle> bundle) { m_template.setBundle(std::move(bundle)); }
    const pf::Value& dataItem() const { return m_dataItem; }
    void setDataItem(const pf::Value& item) { m_dataItem = item; }

protected:
    // Nothing when the template cannot be read.
    const std::optional<std::string>& templateText() { return m_template.text(); }

private:
    KRTemplateTextCache m_template;
    pf::Value m_dataItem;
};
