#pragma once

// The user's own tasks: profile update, points, prize exchange, category
// sync and lookup, and image upload. Plain data: every field starts nil,
// zero or false. Main queue only.

#include "framework/core/KRTask.h"
#include "platform/graphics/Forward.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>

class IZMRUpdateUserTask : public virtual IKRUplinkTask {
public:
    virtual const std::optional<std::string>& nick() const = 0;
    virtual void setNick(std::optional<std::string> nick) = 0;
    virtual const std::optional<std::string>& logo() const = 0;
    virtual void setLogo(std::optional<std::string> logo) = 0;
    virtual const pf::BitmapRef& logoImage() const = 0;
    virtual void setLogoImage(pf::BitmapRef logoImage) = 0;
    virtual int age() const = 0;
    virtual void setAge(int age) = 0;
    virtual const pf::ArrayRef& classifyObjects() const = 0;
    virtual void setClassifyObjects(pf::ArrayRef classifyObjects) = 0;
    virtual const std::optional<std::string>& constellation() const = 0;
    virtual void setConstellation(std::optional<std::string> constellation) = 0;
    virtual const std::optional<std::string>& job() const = 0;
    virtual void setJob(std::optional<std::string> job) = 0;
    virtual const std::optional<std::string>& city() const = 0;
    virtual void setCity(std::optional<std::string> city) = 0;
};

class IZMRPrizeBuyTask : public virtual IKRUplinkTask {
public:
    virtual long long productId() const = 0;
    virtual void setProductId(long long productId) = 0;
    virtual const std::optional<std::string>& address() const = 0;
    virtual void setAddress(std::optional<std::string> address) = 0;
    virtual const std::optional<std::string>& postCode() const = 0;
    virtual void setPostCode(std::optional<std::string> postCode) = 0;
    virtual const std::optional<std::string>& name() const = 0;
    virtual void setName(std::optional<std::string> name) = 0;
    virtual const std::optional<std::string>& phone() const = 0;
    virtual void setPhone(std::optional<std::string> phone) = 0;
    virtual const std::optional<std::string>& other() const = 0;
    virtual void setOther(std::optional<std::string> other) = 0;
};

// Answered at once by the category service, which sets `dataObject`.
class IZMRClassifyGetTask : public virtual IKRTask {
public:
    virtual long long cid() const = 0;
    virtual void setCid(long long cid) = 0;
    virtual const pf::ObjectRef& dataObject() const = 0;
    virtual void setDataObject(pf::ObjectRef dataObject) = 0;
};

// The upload service writes `imageSize` and `resultsData` back.
class IZMRImageUploadTask : public virtual IKRUplinkTask {
public:
    virtual const pf::BitmapRef& image() const = 0;
    virtual void setImage(pf::BitmapRef image) = 0;
    virtual float maxWidth() const = 0;
    virtual void setMaxWidth(float maxWidth) = 0;
    virtual pf::Size imageSize() const = 0;
    virtual void setImageSize(pf::Size imageSize) = 0;
    virtual const pf::Value& resultsData() const = 0;
    virtual void setResultsData(pf::Value resultsData) = 0;
};

class ZMRUpdateUserTask final : public KRUplinkTask, public virtual IZMRUpdateUserTask {
public:
    const std::optional<std::string>& nick() const override { return m_nick; }
    void setNick(std::optional<std::string> nick) override { m_nick = std::move(nick); }
    const std::optional<std::string>& logo() const override { return m_logo; }
    void setLogo(std::optional<std::string> logo) override { m_logo = std::move(logo); }
    const pf::BitmapRef& logoImage() const override { return m_logoImage; }
    void setLogoImage(pf::BitmapRef logoImage) override { m_logoImage = std::move(logoImage); }
    int age() const override { return m_age; }
    void setAge(int age) override { m_age = age; }
    const pf::ArrayRef& classifyObjects() const override { return m_classifyObjects; }
    void setClassifyObjects(pf::ArrayRef classifyObjects) override { m_classifyObjects = std::move(classifyObjects); }
    const std::optional<std::string>& constellation() const override { return m_constellation; }
    void setConstellation(std::optional<std::string> constellation) override { m_constellation = std::move(constellation); }
    const std::optional<std::string>& job() const override { return m_job; }
    void setJob(std::optional<std::string> job) override { m_job = std::move(job); }
    const std::optional<std::string>& city() const override { return m_city; }
    void setCity(std::optional<std::string> city) override { m_city = std::move(city); }

private:
    std::optional<std::string> m_nick;
    std::optional<std::string> m_logo;
    pf::BitmapRef m_logoImage;
    int m_age = 0;
    pf::ArrayRef m_classifyObjects;
    std::optional<std::string> m_constellation;
    std::optional<std::string> m_job;
    std::optional<std::string> m_city;
};

class ZMRCoinTask final : public KRUplinkTask {};

class ZMRPrizeBuyTask final : public KRUplinkTask, public virtual IZMRPrizeBuyTask {
public:
    long long productId() const override { return m_productId; }
    void setProductId(long long productId) override { m_productId = productId; }
    const std::optional<std::string>& address() const override { return m_address; }
    void setAddress(std::optional<std::string> address) override { m_address = std::move(address); }
    const std::optional<std::string>& postCode() const override { return m_postCode; }
    void setPostCode(std::optional<std::string> postCode) override { m_postCode = std::move(postCode); }
    const std::optional<std::string>& name() const override { return m_name; }
    void setName(std::optional<std::string> name) override { m_name = std::move(name); }
    const std::optional<std::string>& phone() const override { return m_phone; }
    void setPhone(std::optional<std::string> phone) override { m_phone = std::move(phone); }
    const std::optional<std::string>& other() const override { return m_other; }
    void setOther(std::optional<std::string> other) override { m_other = std::move(other); }

private:
    long long m_productId = 0;
    std::optional<std::string> m_address;
    std::optional<std::string> m_postCode;
    std::optional<std::string> m_name;
    std::optional<std::string> m_phone;
    std::optional<std::string> m_other;
};

class ZMRClassifyTask final : public KRUplinkTask {};

class ZMRClassifyGetTask final : public KRTask, public virtual IZMRClassifyGetTask {
public:
    long long cid() const override { return m_cid; }
    void setCid(long long cid) override { m_cid = cid; }
    const pf::ObjectRef& dataObject() const override { return m_dataObject; }
    void setDataObject(pf::ObjectRef dataObject) override { m_dataObject = std::move(dataObject); }

private:
    long long m_cid = 0;
    pf::ObjectRef m_dataObject;
};

class ZMRImageUploadTask : public KRUplinkTask, public virtual IZMRImageUploadTask {
public:
    const pf::BitmapRef& image() const override { return m_image; }
    void setImage(pf::BitmapRef image) override { m_image = std::move(image); }
    float maxWidth() const override { return m_maxWidth; }
    void setMaxWidth(float maxWidth) override { m_maxWidth = maxWidth; }
    pf::Size imageSize() const override { return m_imageSize; }
    void setImageSize(pf::Size imageSize) override { m_imageSize = imageSize; }
    const pf::Value& resultsData() const override { return m_resultsData; }
    void setResultsData(pf::Value resultsData) override { m_resultsData = std::move(resultsData); }

private:
    pf::BitmapRef m_image;
    float m_maxWidth = 0;
    pf::Size m_imageSize;
    pf::Value m_resultsData;
};

// A portrait upload on behalf of a profile update: keeps the update task
// alive until the upload is over. The task type is a protocol object; the
// user is the one the update is for (nil for nobody).
class ZMRUserImageUploadTask final : public ZMRImageUploadTask {
public:
    const pf::ObjectRef& task() const { return m_task; }
    void setTask(pf::ObjectRef task) { m_task = std::move(task); }
    const pf::Protocol* taskType() const { return m_taskType; }
    void setTaskType(const pf::Protocol* taskType) { m_taskType = taskType; }
    const pf::Value& user() const { return m_user; }
    void setUser(pf::Value user) { m_user = std::move(user); }

private:
    pf::ObjectRef m_task;
    const pf::Protocol* m_taskType = nullptr;
    pf::Value m_user;
};

// A photo upload on behalf of a publishing run, which is not kept alive.
class ZMRPublishImageUploadTask final : public ZMRImageUploadTask {
public:
    pf::ObjectRef worker() const { return m_worker.lock(); }
    void setWorker(const pf::ObjectRef& worker) { m_worker = worker; }

private:
    pf::WeakObject m_worker;
};
