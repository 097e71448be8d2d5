// Several processes registering with Voxly and Natter at the same moment:
// each registration is one locked read-modify-write of a shared board, so
// none of them may drop another's entry.

#include "VoxlyTestSupport.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Pasteboard.h"

#include <set>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace voxly::test {
namespace {

class RegistrationRace : public VoxlyTest {};

TEST_F(RegistrationRace, ProcessesRegisteringAtOnceKeepEveryEntry)
{
    constexpr int kProcesses = 3, kEach = 25;
    std::vector<pid_t> peers;
    for (int p = 0; p < kProcesses; ++p) {
        std::string prefix = "p" + std::to_string(p), count = std::to_string(kEach);
        char* argv[] = {const_cast<char*>(REGISTER_PEER_PATH), prefix.data(), count.data(), nullptr};
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ), 0);
        peers.push_back(pid);
    }
    for (pid_t pid : peers) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a registration reported failure";
    }

    // Voxly: one item per app key, ours (from the fixture) among them.
    auto voxly = pf::Pasteboard::withName(VoxlySDK::registedAppsPasteboardName(), false);
    ASSERT_TRUE(voxly);
    std::set<std::string> keys;
    for (const auto& item : voxly->items())
        if (!item.empty())
            keys.insert(item.front().first);
    // Natter: one dictionary of app ids.
    auto natter = pf::Pasteboard::withName("natter_register", false);
    ASSERT_TRUE(natter);
    auto content = natter->dataForPasteboardType("content");
    ASSERT_TRUE(content);
    auto all = pf::parseBinaryPropertyList({reinterpret_cast<const char*>(content->data()), content->size()});
    ASSERT_TRUE(all && (*all).dictionary());
    for (int p = 0; p < kProcesses; ++p)
        for (int i = 0; i < kEach; ++i) {
            std::string key = "p" + std::to_string(p) + "-" + std::to_string(i);
            std::string id = "ntp" + std::to_string(p) + std::to_string(i);
            EXPECT_TRUE(keys.count(key)) << key << " was lost";
            EXPECT_TRUE((*all).dictionary()->dictionary(id)) << id << " was lost";
        }
    EXPECT_TRUE(keys.count(kAppKey));
    EXPECT_EQ(keys.size(), std::size_t(kProcesses * kEach + 1));
    EXPECT_EQ((*all).dictionary()->count(), std::size_t(kProcesses * kEach));
}

}
}
