#pragma once

#include <filesystem>
#include <string>

namespace pf::test {

// An X display name (":77" or above) that no server here holds.
inline std::string absentDisplay()
{
    int n = 77;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))
           || std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
        ++n;
    return ":" + std::to_string(n);
}

}
