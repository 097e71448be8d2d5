// A process that registers many apps with Voxly and Natter in a row, for
// the test of several processes registering at once:
//
//   sdk_register_peer PREFIX COUNT
//
// registers the Voxly app keys "PREFIX-0" … and the Natter app ids
// "ntPREFIX0" … on the device folder of $ZMR_DEVICE_DIR; exits 0 when every
// registration reported success.

#include "sdk/natter/NTApi.h"
#include "sdk/voxly/VoxlySDK.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: sdk_register_peer PREFIX COUNT\n");
        return 2;
    }
    std::string prefix = argv[1];
    int count = std::atoi(argv[2]);
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        ok = VoxlySDK::registerApp(prefix + "-" + std::to_string(i)) && ok;
        ok = NTApi::registerApp("nt" + prefix + std::to_string(i)) && ok;
    }
    return ok ? 0 : 1;
}
