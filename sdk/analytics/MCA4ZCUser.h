#pragma once

// The analytics user record: its type (bit 2 set once a later day or a new
// application version is seen), the version last seen and when it changed.

#include <cstdint>
#include <memory>
#include <string>

struct MCA4ZCUser {
    std::uint32_t tagTime = 0;
    std::string appVer;
    std::int32_t userType = 0;
    std::string uid;
};

// Where the user record is kept; the store implements it.
class MCA4ZCUserStore {
public:
    virtual ~MCA4ZCUserStore() = default;
    // Reads the record, making it on first use; null when it cannot.
    virtual std::shared_ptr<MCA4ZCUser> loadUser() = 0;
    virtual void storeUser(const MCA4ZCUser& user) = 0;
};
