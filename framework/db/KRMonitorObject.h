#pragma once

// One observed task: its type, its class and how long the main queue stayed
// busy after it was submitted.

#include "framework/db/KRDBObject.h"

#include <optional>
#include <string>

class KRMonitorObject : public KRDBObject {
public:
    std::optional<std::string> taskType() const { return m_taskType; }
    void setTaskType(std::optional<std::string> taskType) { m_taskType = std::move(taskType); }
    std::optional<std::string> taskClass() const { return m_taskClass; }
    void setTaskClass(std::optional<std::string> taskClass) { m_taskClass = std::move(taskClass); }
    // Seconds.
    double runTime() const { return m_runTime; }
    void setRunTime(double runTime) { m_runTime = runTime; }

private:
    std::optional<std::string> m_taskType;
    std::optional<std::string> m_taskClass;
    double m_runTime = 0;
};
