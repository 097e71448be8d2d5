#pragma once

// The records of the category and tag lists in "app.db". Categories are
// identified by `cid`: two categories are equal when their ids are, whatever
// their titles. Tags have no identity of their own; the sync matches them
// by their text. `timestamp` is the time a row was first inserted, in
// seconds since 1970.

#include "framework/db/KRDBObject.h"

#include <cstddef>
#include <optional>
#include <string>

class ZMRClassifyObject final : public KRDBObject {
public:
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    long long cid() const { return m_cid; }
    void setCid(long long cid) { m_cid = cid; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }

    bool isEqual(const pf::Object& other) const override
    {
        auto category = dynamic_cast<const ZMRClassifyObject*>(&other);
        return category && category->m_cid == m_cid;
    }
    std::size_t hash() const { return static_cast<std::size_t>(m_cid); }

private:
    std::optional<std::string> m_title;
    long long m_cid = 0;
    double m_timestamp = 0;
};

class ZMRTagObject final : public KRDBObject {
public:
    long long tid() const { return m_tid; }
    void setTid(long long tid) { m_tid = tid; }
    const std::optional<std::string>& tag() const { return m_tag; }
    void setTag(std::optional<std::string> tag) { m_tag = std::move(tag); }
    // Stored for the screens; the sync leaves it alone.
    int weight() const { return m_weight; }
    void setWeight(int weight) { m_weight = weight; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }

private:
    long long m_tid = 0;
    std::optional<std::string> m_tag;
    int m_weight = 0;
    double m_timestamp = 0;
};
