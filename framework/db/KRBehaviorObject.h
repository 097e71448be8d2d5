#pragma once

// The base of behaviour records. The behaviour service stamps `timestamp`
// (seconds since 1970) when the record is submitted.

#include "framework/db/KRDBObject.h"

class KRBehaviorObject : public KRDBObject {
public:
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }

    // A new record of the same class with the same declared property values
    // (collections copied too), so that a queue can own it alone.
    std::shared_ptr<KRBehaviorObject> copyRecord() const;

private:
    double m_timestamp = 0;
};
