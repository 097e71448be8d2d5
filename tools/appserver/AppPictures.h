#pragma once

// The pictures of the demo world, drawn from a short recipe when first
// asked for rather than at seed time, so that seeding stays quick and only
// pictures someone looks at are ever drawn:
//
//   "portrait:SEED"            a 200 x 200 PNG portrait
//   "photo:SEED:W:H:png|jpeg"  a W x H photo (W at most 1280)
//
// Each seed gives its own colours and shape. A drawing is kept for the
// life of the process, so servers in one test program share it. Any thread.

#include <cstddef>
#include <optional>
#include <string>

namespace zmr {

struct Picture {
    std::string bytes;
    std::string contentType;
};

// Nothing for a recipe that is not one of the above.
std::optional<Picture> renderPicture(const std::string& recipe);
// Pictures this thread has asked renderPicture for, drawn or kept: lets
// tests check that seeding draws none.
std::size_t renderedPicturesForTesting();
// The content type the recipe's picture will have.
std::string pictureContentType(const std::string& recipe);

// Pictures are stored as paths on this server: a URL on a loopback origin
// whose path starts with "/images/" becomes that path; anything else (a
// bundle image name, another server's URL) is kept as it is.
std::string localPicturePath(const std::string& source);
// The inverse for answers: a path (starting with "/") becomes a URL on
// `origin`; anything else is kept, so a bundle image name stays a name.
std::string pictureURL(const std::string& origin, const std::string& source);

}
