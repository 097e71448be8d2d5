#pragma once

// One ledger entry of the signed-in user, as stored in the per-user
// database. `bid` is the entry's id on the server, the key that matches rows
// to answers; `timestamp` is the creation time in whole seconds since 1970;
// `cids` holds the category ids as the server gave them.

#include "framework/db/KRDBObject.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

class ZMRBooksObject final : public KRDBObject {
public:
    long long bid() const { return m_bid; }
    void setBid(long long bid) { m_bid = bid; }
    double payMoney() const { return m_payMoney; }
    void setPayMoney(double payMoney) { m_payMoney = payMoney; }
    double expendMoney() const { return m_expendMoney; }
    void setExpendMoney(double expendMoney) { m_expendMoney = expendMoney; }
    const std::optional<std::string>& shopTitle() const { return m_shopTitle; }
    void setShopTitle(std::optional<std::string> shopTitle) { m_shopTitle = std::move(shopTitle); }
    const std::optional<std::string>& shopAddress() const { return m_shopAddress; }
    void setShopAddress(std::optional<std::string> shopAddress) { m_shopAddress = std::move(shopAddress); }
    const std::optional<std::string>& remark() const { return m_remark; }
    void setRemark(std::optional<std::string> remark) { m_remark = std::move(remark); }
    double latitude() const { return m_latitude; }
    void setLatitude(double latitude) { m_latitude = latitude; }
    double longitude() const { return m_longitude; }
    void setLongitude(double longitude) { m_longitude = longitude; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }
    const pf::Value& cids() const { return m_cids; }
    void setCids(pf::Value cids) { m_cids = std::move(cids); }

private:
    long long m_bid = 0;
    double m_payMoney = 0;
    double m_expendMoney = 0;
    std::optional<std::string> m_shopTitle;
    std::optional<std::string> m_shopAddress;
    std::optional<std::string> m_remark;
    double m_latitude = 0;
    double m_longitude = 0;
    double m_timestamp = 0;
    pf::Value m_cids;
};
