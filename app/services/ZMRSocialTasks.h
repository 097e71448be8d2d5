#pragma once

// The social and ledger tasks: follow and unfollow, follow-list sync, a
// refreshed user, ledger entries and search, likes, comments and
// publishing. Plain data: every field starts nil, zero or false. Main
// queue only.

#include "framework/core/KRTask.h"

#include <cstdint>
#include <optional>
#include <string>

class IZMRFollowTask : public virtual IKRUplinkTask {
public:
    virtual long long tuid() const = 0;
    virtual void setTuid(long long tuid) = 0;
    // The followed person's profile as the server gives it ("nick",
    // "logo"), when the sender has it, and "mutual" when the sender knows
    // the person follows the user back: a confirmed follow then lists the
    // person at once instead of reading the whole follow list again.
    virtual const pf::Value& user() const = 0;
    virtual void setUser(pf::Value user) = 0;
};

// The fields of a follow; a task type of its own.
class IZMRUnFollowTask : public virtual IZMRFollowTask {};

class IZMRConcernTask : public virtual IKRTask {
public:
    virtual std::uint32_t status() const = 0;
    virtual void setStatus(std::uint32_t status) = 0;
    virtual int pageIndex() const = 0;
    virtual void setPageIndex(int pageIndex) = 0;
};

// `data` is a user dictionary.
class IZMRRefreshUserTask : public virtual IKRTask {
public:
    virtual const pf::Value& data() const = 0;
    virtual void setData(pf::Value data) = 0;
};

class IZMRBooksCreateTask : public virtual IKRUplinkTask {
public:
    virtual double payMoney() const = 0;
    virtual void setPayMoney(double payMoney) = 0;
    virtual double expendMoney() const = 0;
    virtual void setExpendMoney(double expendMoney) = 0;
    virtual double latitude() const = 0;
    virtual void setLatitude(double latitude) = 0;
    virtual double longitude() const = 0;
    virtual void setLongitude(double longitude) = 0;
    virtual const std::optional<std::string>& shopTitle() const = 0;
    virtual void setShopTitle(std::optional<std::string> shopTitle) = 0;
    virtual const std::optional<std::string>& shopAddress() const = 0;
    virtual void setShopAddress(std::optional<std::string> shopAddress) = 0;
    virtual const std::optional<std::string>& remark() const = 0;
    virtual void setRemark(std::optional<std::string> remark) = 0;
    virtual const pf::ArrayRef& classifyObjects() const = 0;
    virtual void setClassifyObjects(pf::ArrayRef classifyObjects) = 0;
};

// Times in seconds since 1970.
class IZMRBooksSearchTask : public virtual IKRUplinkTask {
public:
    virtual double startTime() const = 0;
    virtual void setStartTime(double startTime) = 0;
    virtual double endTime() const = 0;
    virtual void setEndTime(double endTime) = 0;
};

class IZMRLikeTask : public virtual IKRUplinkTask {
public:
    virtual long long pid() const = 0;
    virtual void setPid(long long pid) = 0;
};

// The fields of a like; a task type of its own.
class IZMRUnLikeTask : public virtual IZMRLikeTask {};

class IZMRCommentTask : public virtual IKRUplinkTask {
public:
    virtual const std::optional<std::string>& body() const = 0;
    virtual void setBody(std::optional<std::string> body) = 0;
    virtual long long publishId() const = 0;
    virtual void setPublishId(long long publishId) = 0;
    virtual long long commentId() const = 0;
    virtual void setCommentId(long long commentId) = 0;
};

class IZMRPublishTask : public virtual IKRUplinkTask {
public:
    virtual const std::optional<std::string>& body() const = 0;
    virtual void setBody(std::optional<std::string> body) = 0;
    virtual const pf::ArrayRef& images() const = 0;
    virtual void setImages(pf::ArrayRef images) = 0;
    virtual const pf::ArrayRef& tagObjects() const = 0;
    virtual void setTagObjects(pf::ArrayRef tagObjects) = 0;
    virtual const pf::ArrayRef& classifyObjects() const = 0;
    virtual void setClassifyObjects(pf::ArrayRef classifyObjects) = 0;
    virtual double payMoney() const = 0;
    virtual void setPayMoney(double payMoney) = 0;
    virtual double expendMoney() const = 0;
    virtual void setExpendMoney(double expendMoney) = 0;
    virtual double latitude() const = 0;
    virtual void setLatitude(double latitude) = 0;
    virtual double longitude() const = 0;
    virtual void setLongitude(double longitude) = 0;
    virtual bool toVoxly() const = 0;
    virtual void setToVoxly(bool toVoxly) = 0;
    virtual bool toZZ() const = 0;
    virtual void setToZZ(bool toZZ) = 0;
};

class ZMRFollowTask : public KRUplinkTask, public virtual IZMRFollowTask {
public:
    long long tuid() const override { return m_tuid; }
    void setTuid(long long tuid) override { m_tuid = tuid; }
    const pf::Value& user() const override { return m_user; }
    void setUser(pf::Value user) override { m_user = std::move(user); }

private:
    long long m_tuid = 0;
    pf::Value m_user;
};

class ZMRUnFollowTask final : public ZMRFollowTask, public virtual IZMRUnFollowTask {};

class ZMRConcernTask final : public KRTask, public virtual IZMRConcernTask {
public:
    std::uint32_t status() const override { return m_status; }
    void setStatus(std::uint32_t status) override { m_status = status; }
    int pageIndex() const override { return m_pageIndex; }
    void setPageIndex(int pageIndex) override { m_pageIndex = pageIndex; }

private:
    std::uint32_t m_status = 0;
    int m_pageIndex = 0;
};

class ZMRRefreshUserTask final : public KRTask, public virtual IZMRRefreshUserTask {
public:
    const pf::Value& data() const override { return m_data; }
    void setData(pf::Value data) override { m_data = std::move(data); }

private:
    pf::Value m_data;
};

class ZMRBooksCreateTask final : public KRUplinkTask, public virtual IZMRBooksCreateTask {
public:
    double payMoney() const override { return m_payMoney; }
    void setPayMoney(double payMoney) override { m_payMoney = payMoney; }
    double expendMoney() const override { return m_expendMoney; }
    void setExpendMoney(double expendMoney) override { m_expendMoney = expendMoney; }
    double latitude() const override { return m_latitude; }
    void setLatitude(double latitude) override { m_latitude = latitude; }
    double longitude() const override { return m_longitude; }
    void setLongitude(double longitude) override { m_longitude = longitude; }
    const std::optional<std::string>& shopTitle() const override { return m_shopTitle; }
    void setShopTitle(std::optional<std::string> shopTitle) override { m_shopTitle = std::move(shopTitle); }
    const std::optional<std::string>& shopAddress() const override { return m_shopAddress; }
    void setShopAddress(std::optional<std::string> shopAddress) override { m_shopAddress = std::move(shopAddress); }
    const std::optional<std::string>& remark() const override { return m_remark; }
    void setRemark(std::optional<std::string> remark) override { m_remark = std::move(remark); }
    const pf::ArrayRef& classifyObjects() const override { return m_classifyObjects; }
    void setClassifyObjects(pf::ArrayRef classifyObjects) override { m_classifyObjects = std::move(classifyObjects); }

private:
    double m_payMoney = 0;
    double m_expendMoney = 0;
    double m_latitude = 0;
    double m_longitude = 0;
    std::optional<std::string> m_shopTitle;
    std::optional<std::string> m_shopAddress;
    std::optional<std::string> m_remark;
    pf::ArrayRef m_classifyObjects;
};

class ZMRBooksSearchTask final : public KRUplinkTask, public virtual IZMRBooksSearchTask {
public:
    double startTime() const override { return m_startTime; }
    void setStartTime(double startTime) override { m_startTime = startTime; }
    double endTime() const override { return m_endTime; }
    void setEndTime(double endTime) override { m_endTime = endTime; }

private:
    double m_startTime = 0;
    double m_endTime = 0;
};

// `indexPath` (the row the sender shows) is the sender's own.
class ZMRLikeTask : public KRUplinkTask, public virtual IZMRLikeTask {
public:
    long long pid() const override { return m_pid; }
    void setPid(long long pid) override { m_pid = pid; }
    const pf::Value& indexPath() const { return m_indexPath; }
    void setIndexPath(pf::Value indexPath) { m_indexPath = std::move(indexPath); }

private:
    long long m_pid = 0;
    pf::Value m_indexPath;
};

class ZMRUnLikeTask : public ZMRLikeTask, public virtual IZMRUnLikeTask {};

class ZMRCommentTask final : public KRUplinkTask, public virtual IZMRCommentTask {
public:
    const std::optional<std::string>& body() const override { return m_body; }
    void setBody(std::optional<std::string> body) override { m_body = std::move(body); }
    long long publishId() const override { return m_publishId; }
    void setPublishId(long long publishId) override { m_publishId = publishId; }
    long long commentId() const override { return m_commentId; }
    void setCommentId(long long commentId) override { m_commentId = commentId; }

private:
    std::optional<std::string> m_body;
    long long m_publishId = 0;
    long long m_commentId = 0;
};

class ZMRPublishTask final : public KRUplinkTask, public virtual IZMRPublishTask {
public:
    const std::optional<std::string>& body() const override { return m_body; }
    void setBody(std::optional<std::string> body) override { m_body = std::move(body); }
    const pf::ArrayRef& images() const override { return m_images; }
    void setImages(pf::ArrayRef images) override { m_images = std::move(images); }
    const pf::ArrayRef& tagObjects() const override { return m_tagObjects; }
    void setTagObjects(pf::ArrayRef tagObjects) override { m_tagObjects = std::move(tagObjects); }
    const pf::ArrayRef& classifyObjects() const override { return m_classifyObjects; }
    void setClassifyObjects(pf::ArrayRef classifyObjects) override { m_classifyObjects = std::move(classifyObjects); }
    double payMoney() const override { return m_payMoney; }
    void setPayMoney(double payMoney) override { m_payMoney = payMoney; }
    double expendMoney() const override { return m_expendMoney; }
    void setExpendMoney(double expendMoney) override { m_expendMoney = expendMoney; }
    double latitude() const override { return m_latitude; }
    void setLatitude(double latitude) override { m_latitude = latitude; }
    double longitude() const override { return m_longitude; }
    void setLongitude(double longitude) override { m_longitude = longitude; }
    bool toVoxly() const override { return m_toVoxly; }
    void setToVoxly(bool toVoxly) override { m_toVoxly = toVoxly; }
    bool toZZ() const override { return m_toZZ; }
    void setToZZ(bool toZZ) override { m_toZZ = toZZ; }

private:
    std::optional<std::string> m_body;
    pf::ArrayRef m_images;
    pf::ArrayRef m_tagObjects;
    pf::ArrayRef m_classifyObjects;
    double m_payMoney = 0;
    double m_expendMoney = 0;
    double m_latitude = 0;
    double m_longitude = 0;
    bool m_toVoxly = false;
    bool m_toZZ = false;
};
