// Links: zz_sdk
// Converts arbitrary text as an app id; a success must convert back from
// either of its forms to the same pair.
#include "sdk/zz/CTXAppidConvert.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TXAppidConvert convert;
    if (!convert.InitWithAppId(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    auto connection = convert.GetConnectionAppId();
    auto mobile = convert.GetMZZAppId();
    if (!connection || !mobile || mobile->size() != 10)
        std::abort();
    for (const auto& form : { *connection, *mobile }) {
        if (!convert.InitWithAppId(form) || convert.GetConnectionAppId() != connection || convert.GetMZZAppId() != mobile)
            std::abort();
    }
    return 0;
}
