#include "framework/dom/KRDOMImageCache.h"

#include "framework/dom/KRImage.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"

#include <cassert>
#include <filesystem>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace {

// Enough for the pictures of a few screens; beyond it the cache starts over
// rather than growing without bound.
constexpr std::size_t kMaxKept = 64;
// Names are short and a bundle holds a few hundred pictures.
constexpr std::size_t kMaxKnownFiles = 1024;

std::unordered_map<std::string, pf::ImageRef>& kept()
{
    static std::unordered_map<std::string, pf::ImageRef> images;
    return images;
}

// The paths hasPicture has found on disk.
struct KnownFiles {
    std::mutex lock; // guards found
    std::unordered_set<std::string> found;
};

KnownFiles& knownFiles()
{
    static KnownFiles files;
    return files;
}

// "dir/name.png" -> "dir/name@2x.png" (when `path` is not a scaled name already).
std::string doubleScaleName(const std::string& path)
{
    std::filesystem::path p(path);
    std::string stem = p.stem().string();
    if (stem.ends_with("@2x") || stem.ends_with("@3x"))
        return {};
    return (p.parent_path() / (stem + "@2x" + p.extension().string())).string();
}

// "dir/name.png" -> "dir/name@2x.png" when that file exists.
std::string doubleScalePath(const std::string& path)
{
    std::string candidate = doubleScaleName(path);
    std::error_code ec;
    return !candidate.empty() && std::filesystem::is_regular_file(candidate, ec) ? candidate : std::string();
}

}

pf::ImageRef KRDOMImageCache::imageForPath(const std::string& path)
{
    PF_ASSERT_MAIN_THREAD();
    auto& images = kept();
    if (auto it = images.find(path); it != images.end())
        return it->second;
    std::string doubled = doubleScalePath(path);
    auto decoded = pf::Image::contentsOfFile(doubled.empty() ? path : doubled);
    pf::ImageRef image;
    if (decoded)
        image = decoded.value();
    else
        pf::log("Could not read the image %s: %s", path.c_str(), decoded.error().description.c_str());
    // A file that failed is kept as null, so it is not read (and logged)
    // again at every redraw.
    if (images.size() >= kMaxKept)
        images.clear();
    images.emplace(path, image);
    return image;
}

bool KRDOMImageCache::hasPicture(const std::string& path)
{
    KnownFiles& files = knownFiles();
    {
        std::lock_guard guard(files.lock);
        if (files.found.contains(path))
            return true;
    }
    std::error_code ec;
    std::string doubled = doubleScaleName(path);
    bool found = std::filesystem::is_regular_file(path, ec)
                 || (!doubled.empty() && std::filesystem::is_regular_file(doubled, ec));
    if (!found)
        return false;
    std::lock_guard guard(files.lock);
    if (files.found.size() >= kMaxKnownFiles)
        files.found.clear();
    files.found.insert(path);
    return true;
}

pf::BitmapRef KRDOMImageCache::bitmapForImage(const KRImage& image)
{
    pf::ImageRef decoded = imageForPath(image.path);
    return decoded ? decoded->bitmap() : nullptr;
}

void KRDOMImageCache::removeAll()
{
    kept().clear();
    KnownFiles& files = knownFiles();
    std::lock_guard guard(files.lock);
    files.found.clear();
}
