#pragma once

// A list that loads itself: an ordered list of result objects that is at the
// same time a downlink task on the bus. Its owner calls reloadData,
// refreshData and cancel; a subclass that loads over the bus hands itself to
// the context under its task type after the base step, and the service
// answers through the downlink callbacks (a cached copy first, then the
// network answer or a failure), which rebuild the list and tell the delegate.
//
// The context and the delegate are not owned. Changing the context withdraws
// everything this source started on the old one, and so does destroying the
// source (by identity, as it can no longer be shared). A failure keeps the
// list: a cached copy stays visible after a failed network load.
//
// Main queue only.

#include "framework/core/IKRTask.h"
#include "framework/core/KRController.h"
#include "framework/core/KRTask.h"

#include <optional>
#include <string>

class KRDataSourceDelegate;

class KRDataSource : public KRTask, public virtual IKRDownlinkTask, public IKRController {
public:
    ~KRDataSource() override;

    virtual bool isLoading() const { return m_loading; }
    void setLoading(bool loading) { m_loading = loading; }
    // A result arrived at least once (or a failure left objects in the list).
    virtual bool isLoaded() const { return m_loaded; }
    void setLoaded(bool loaded) { m_loaded = loaded; }
    bool isSkipCached() const override { return m_skipCached; }
    void setSkipCached(bool skip) override { m_skipCached = skip; }

    // IKRController; the delegate is told only when it is a KRDataSourceDelegate.
    std::shared_ptr<IKRUIContext> context() const override { return m_context.lock(); }
    void setContext(std::weak_ptr<IKRUIContext> context) override;
    pf::ObjectRef delegate() const override { return m_delegate.lock(); }
    void setDelegate(const pf::ObjectRef& delegate) override { m_delegate = delegate; }

    // Key path of the list inside an answer; nothing: the answer itself.
    const std::optional<std::string>& dataKey() const { return m_dataKey; }
    void setDataKey(std::optional<std::string> key) { m_dataKey = std::move(key); }

    // The result objects, made empty on first use; may be null for a
    // source that stands for another (a gatherer without members).
    virtual pf::ArrayRef dataObjects();
    // A subclass that makes its objects as they are asked for (a long list
    // of which a table shows a screenful) answers these two without
    // dataObjects(), which then makes them all.
    virtual std::size_t count();
    // Nil for a negative index or one at or past count().
    virtual pf::Value dataObjectAtIndex(int index);
    // The first object, or nil.
    pf::Value dataObject();
    virtual bool isEmpty();

    // Marks loading and tells the delegate; bus subclasses then send themselves.
    virtual void reloadData();
    // A reload that skips the downlink cache once.
    virtual void refreshData();
    virtual void cancel();
    // Appends the array at dataKey element by element, or a dictionary there
    // as one object; anything else adds nothing.
    virtual void loadResultsData(const pf::Value& results);

    // IKRDownlinkTask
    void krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp, const pf::Protocol* taskType) override;
    void krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol* taskType) override;
    void krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol* taskType) override;

protected:
    std::shared_ptr<KRDataSourceDelegate> dataSourceDelegate() const;
    void clearDataObjects();

private:
    std::weak_ptr<IKRUIContext> m_context;
    pf::WeakObject m_delegate;
    pf::ArrayRef m_dataObjects;
    std::optional<std::string> m_dataKey;
    bool m_loading = false;
    bool m_loaded = false;
    bool m_skipCached = false;
};
