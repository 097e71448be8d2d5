#pragma once

// A toggle button of the tag strip carrying the tag it shows. Main queue only.

#include "app/services/ZMRClassifyObject.h"
#include "platform/controls/Button.h"

class ZMRTagItemControl : public pf::Button {
public:
    explicit ZMRTagItemControl(const pf::Rect& frame = {}) : pf::Button(frame) {}

    const std::shared_ptr<ZMRTagObject>& dataObject() const { return m_dataObject; }
    void setDataObject(std::shared_ptr<ZMRTagObject> tag) { m_dataObject = std::move(tag); }

private:
    std::shared_ptr<ZMRTagObject> m_dataObject;
};
