#include "platform/security/Keychain.h"

#include "platform/foundation/FileSystem.h"
#include "platform/security/PublicKey.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <sstream>

namespace pf {

namespace {

std::mutex g_mutex; // guards the store file

// The file holds one line per tag: the tag and its key, both in hexadecimal,
// so that any bytes survive and no line can be split by its content.
using Store = std::map<std::string, Bytes>;

std::string toHex(const std::uint8_t* bytes, std::size_t length)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (std::size_t i = 0; i < length; ++i) {
        hex.push_back(digits[bytes[i] >> 4]);
        hex.push_back(digits[bytes[i] & 15]);
    }
    return hex;
}

std::optional<Bytes> fromHex(std::string_view hex)
{
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    if (hex.size() % 2)
        return std::nullopt;
    Bytes bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = nibble(hex[i]), low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

Store readStore()
{
    Store store;
    auto content = readFile(Keychain::path());
    if (!content)
        return store;
    std::istringstream lines(std::string(content->begin(), content->end()));
    std::string line;
    while (std::getline(lines, line)) {
        auto space = line.find(' ');
        if (space == std::string::npos)
            continue; // a damaged line costs only its own entry
        auto tag = fromHex(std::string_view(line).substr(0, space));
        auto key = fromHex(std::string_view(line).substr(space + 1));
        if (tag && key && !key->empty())
            store[std::string(tag->begin(), tag->end())] = std::move(*key);
    }
    return store;
}

bool writeStore(const Store& store)
{
    std::string text;
    for (const auto& [tag, key] : store) {
        text += toHex(reinterpret_cast<const std::uint8_t*>(tag.data()), tag.size());
        text += ' ';
        text += toHex(key.data(), key.size());
        text += '\n';
    }
    std::string target = Keychain::path();
    std::string folder = target.substr(0, target.rfind('/'));
    if (!createDirectories(folder))
        return false;
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(temporary.data()); // created with mode 0600
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    std::size_t written = 0;
    while (ok && written < text.size()) {
        ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0)
            ok = false;
        else
            written += static_cast<std::size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

}

std::string Keychain::path()
{
    return homeDirectory() + "/Library/Keychain";
}

bool Keychain::setKeyData(const std::string& tag, const Bytes& key)
{
    if (key.empty())
        return false;
    std::lock_guard lock(g_mutex);
    Store store = readStore();
    store[tag] = key;
    return writeStore(store);
}

std::optional<Bytes> Keychain::keyData(const std::string& tag)
{
    std::lock_guard lock(g_mutex);
    Store store = readStore();
    auto entry = store.find(tag);
    if (entry == store.end())
        return std::nullopt;
    return entry->second;
}

PublicKeyRef Keychain::publicKey(const std::string& tag)
{
    auto key = keyData(tag);
    return key ? PublicKey::createWithDER(*key) : nullptr;
}

bool Keychain::removeKey(const std::string& tag)
{
    std::lock_guard lock(g_mutex);
    Store store = readStore();
    if (!store.erase(tag))
        return true;
    return writeStore(store);
}

}
