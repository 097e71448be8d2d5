#pragma once

// A page source whose server list is written down as a URL template, query
// values and the key paths of an error code and message; KRURLService serves
// it (task type IKRURLDownlinkTask). Every load withdraws the request still
// under way first, so a late answer for an earlier page never lands in a
// reloaded list. The request's own source is this source's `source`, so
// cancelHandleForSource on that object withdraws it. Main queue only.

#include "framework/data/IKRURLDownlinkTask.h"
#include "framework/data/KRPageDataSource.h"

class KRURLDataSource : public KRPageDataSource, public virtual IKRURLDownlinkTask {
public:
    const std::optional<std::string>& url() const override { return m_url; }
    void setUrl(std::optional<std::string> url) { m_url = std::move(url); }
    const std::optional<std::string>& urlKey() const override { return m_urlKey; }
    void setUrlKey(std::optional<std::string> key) { m_urlKey = std::move(key); }
    const std::optional<std::string>& errorCodeKeyPath() const override { return m_errorCodeKeyPath; }
    void setErrorCodeKeyPath(std::optional<std::string> path) { m_errorCodeKeyPath = std::move(path); }
    const std::optional<std::string>& errorKeyPath() const override { return m_errorKeyPath; }
    void setErrorKeyPath(std::optional<std::string> path) { m_errorKeyPath = std::move(path); }
    // Made empty on first use and kept; set from an interface file, it is a
    // copy, so the file's own dictionary is never changed by a page.
    pf::DictionaryRef queryValues() override;
    pf::DictionaryRef queryValues() const;
    void setQueryValues(pf::DictionaryRef values);
    const pf::Class* httpClass() const override { return m_httpClass; }
    void setHttpClass(const pf::Class* cls) { m_httpClass = cls; }
    // The source's declared properties by key path.
    pf::Value templateValue(std::string_view keyPath) override;

    void reloadData() override;
    void loadMoreData() override;
    void cancel() override;

private:
    void send();

    std::optional<std::string> m_url;
    std::optional<std::string> m_urlKey;
    std::optional<std::string> m_errorCodeKeyPath;
    std::optional<std::string> m_errorKeyPath;
    mutable pf::DictionaryRef m_queryValues;
    const pf::Class* m_httpClass = nullptr;
};
