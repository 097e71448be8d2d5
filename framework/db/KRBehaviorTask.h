#pragma once

// Submits one behaviour record. Main queue only.

#include "framework/core/KRTask.h"
#include "framework/db/IKRBehaviorTask.h"

class KRBehaviorTask : public KRTask, public IKRBehaviorTask {
public:
    std::shared_ptr<KRBehaviorObject> dataObject() const override { return m_dataObject; }
    void setDataObject(std::shared_ptr<KRBehaviorObject> dataObject) override { m_dataObject = std::move(dataObject); }

private:
    std::shared_ptr<KRBehaviorObject> m_dataObject;
};
