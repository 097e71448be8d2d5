#pragma once

// A toggle button of the category chooser carrying the category it shows.
// Main queue only.

#include "app/services/ZMRClassifyObject.h"
#include "platform/controls/Button.h"

class ZMRClassifyItemControl : public pf::Button {
public:
    explicit ZMRClassifyItemControl(const pf::Rect& frame = {}) : pf::Button(frame) {}

    const std::shared_ptr<ZMRClassifyObject>& dataObject() const { return m_dataObject; }
    void setDataObject(std::shared_ptr<ZMRClassifyObject> category) { m_dataObject = std::move(category); }

private:
    std::shared_ptr<ZMRClassifyObject> m_dataObject;
};
