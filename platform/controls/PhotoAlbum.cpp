#include "platform/controls/PhotoAlbum.h"

#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pf {

namespace {
bool hasImageExtension(const std::string& name)
{
    auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "gif";
}

Error albumError(const std::string& what)
{
    return Error{"pf::PhotoAlbum", errno ? errno : 1, what + ": " + std::strerror(errno ? errno : EIO)};
}
}

std::string photoAlbumDirectory()
{
    const char* env = std::getenv("ZMR_PICTURES");
    if (env && *env)
        return env;
    return homeDirectory() + "/Pictures";
}

std::vector<std::string> photoAlbumImagePaths()
{
    std::vector<std::string> paths;
    std::string dir = photoAlbumDirectory();
    DIR* d = opendir(dir.c_str());
    if (!d)
        return paths;
    while (dirent* entry = readdir(d)) {
        std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || !hasImageExtension(name))
            continue;
        std::string path = dir + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            paths.push_back(path);
    }
    closedir(d);
    std::sort(paths.begin(), paths.end());
    return paths;
}

ErrorOr<std::string> saveImageToPhotosAlbum(const Image& image)
{
    std::string dir = photoAlbumDirectory();
    if (!image.bitmap())
        return Error{"pf::PhotoAlbum", 2, "no picture to save"};
    if (!createDirectories(dir))
        return albumError("cannot create " + dir);
    // Written whole beside the album first, then linked under a free name:
    // linking fails rather than replace a file that is there.
    std::string temp = dir + "/.saving-" + std::to_string(getpid()) + "-" + std::to_string(reinterpret_cast<std::uintptr_t>(&image));
    if (auto error = image.bitmap()->writePng(temp))
        return *error;
    for (int n = 1; n < 100000; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/IMG_%04d.png", n);
        std::string path = dir + name;
        if (link(temp.c_str(), path.c_str()) == 0) {
            unlink(temp.c_str());
            return path;
        }
        if (errno != EEXIST) {
            Error error = albumError("cannot save " + path);
            unlink(temp.c_str());
            return error;
        }
    }
    unlink(temp.c_str());
    return Error{"pf::PhotoAlbum", 3, "the album has no free picture name"};
}

}
