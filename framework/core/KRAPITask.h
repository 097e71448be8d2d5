#pragma once

// A call to the application server as tasks on the bus: the request a service
// hands over as IKRAPIRequestTask (offered again as IKRAPIWillRequestTask just
// before its HTTP request is built), the answer that comes back as
// IKRAPIResponseTask, and the cancel sent as IKRAPICancelTask. Each carries the
// application task it serves, that task's type and the requester's user
// information. Main queue only.

#include "framework/core/KRTask.h"

#include <optional>
#include <string>

class KRHttpFormBody;

class IKRAPITask : public virtual IKRTask {
public:
    virtual pf::ObjectRef task() const = 0;
    virtual void setTask(pf::ObjectRef task) = 0;
    virtual const pf::Protocol* taskType() const = 0;
    virtual void setTaskType(const pf::Protocol* taskType) = 0;
    virtual pf::Value userInfo() const = 0;
    virtual void setUserInfo(pf::Value userInfo) = 0;
};

class IKRAPIWillRequestTask : public virtual IKRAPITask {
public:
    virtual const std::optional<std::string>& apiKey() const = 0;
    virtual void setApiKey(std::optional<std::string> apiKey) = 0;
    virtual const std::optional<std::string>& apiUrl() const = 0;
    virtual void setApiUrl(std::optional<std::string> apiUrl) = 0;
    virtual const pf::Value& queryValues() const = 0;
    virtual void setQueryValues(pf::Value values) = 0;
    virtual const std::shared_ptr<KRHttpFormBody>& body() const = 0;
    virtual void setBody(std::shared_ptr<KRHttpFormBody> body) = 0;
};

class IKRAPIResponseTask : public virtual IKRAPITask {
public:
    virtual const pf::Value& resultsData() const = 0;
    virtual void setResultsData(pf::Value results) = 0;
    virtual const std::optional<pf::Error>& error() const = 0;
    virtual void setError(std::optional<pf::Error> error) = 0;
    virtual const std::optional<std::string>& url() const = 0;
    virtual void setUrl(std::optional<std::string> url) = 0;
    // With an error: the request had gone out whole and no whole answer came
    // back (lost, cut short, or JSON text that does not close), so the server
    // may have acted on it. False for failures the server cannot have acted on.
    virtual bool isResultUnknown() const = 0;
    virtual void setResultUnknown(bool unknown) = 0;
};

// Adopts IKRAPITask and IKRAPICancelTask.
class KRAPITask : public KRTask, public virtual IKRAPITask {
public:
    pf::ObjectRef task() const override { return m_task; }
    void setTask(pf::ObjectRef task) override { m_task = std::move(task); }
    const pf::Protocol* taskType() const override { return m_taskType; }
    void setTaskType(const pf::Protocol* taskType) override { m_taskType = taskType; }
    pf::Value userInfo() const override { return m_userInfo; }
    void setUserInfo(pf::Value userInfo) override { m_userInfo = std::move(userInfo); }

private:
    pf::ObjectRef m_task;
    const pf::Protocol* m_taskType = nullptr;
    pf::Value m_userInfo;
};

// The URL is `apiUrl` when set, otherwise the API service's configuration
// value at the key path `apiKey`, plus `queryValues` as query pairs. A request
// with a body is a POST of that form.
class KRAPIRequestTask : public KRAPITask, public virtual IKRAPIWillRequestTask {
public:
    const std::optional<std::string>& apiKey() const override { return m_apiKey; }
    void setApiKey(std::optional<std::string> apiKey) override { m_apiKey = std::move(apiKey); }
    const std::optional<std::string>& apiUrl() const override { return m_apiUrl; }
    void setApiUrl(std::optional<std::string> apiUrl) override { m_apiUrl = std::move(apiUrl); }
    const pf::Value& queryValues() const override { return m_queryValues; }
    void setQueryValues(pf::Value values) override { m_queryValues = std::move(values); }
    const std::shared_ptr<KRHttpFormBody>& body() const override { return m_body; }
    void setBody(std::shared_ptr<KRHttpFormBody> body) override { m_body = std::move(body); }

private:
    std::optional<std::string> m_apiKey;
    std::optional<std::string> m_apiUrl;
    pf::Value m_queryValues;
    std::shared_ptr<KRHttpFormBody> m_body;
};

// Either results (a decoded JSON dictionary or array) or an error, never both.
class KRAPIResponseTask : public KRAPITask, public virtual IKRAPIResponseTask {
public:
    const pf::Value& resultsData() const override { return m_resultsData; }
    void setResultsData(pf::Value results) override { m_resultsData = std::move(results); }
    const std::optional<pf::Error>& error() const override { return m_error; }
    void setError(std::optional<pf::Error> error) override { m_error = std::move(error); }
    const std::optional<std::string>& url() const override { return m_url; }
    void setUrl(std::optional<std::string> url) override { m_url = std::move(url); }
    bool isResultUnknown() const override { return m_resultUnknown; }
    void setResultUnknown(bool unknown) override { m_resultUnknown = unknown; }

private:
    pf::Value m_resultsData;
    std::optional<pf::Error> m_error;
    std::optional<std::string> m_url;
    bool m_resultUnknown = false;
};
