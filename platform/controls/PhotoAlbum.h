#pragma once

// The device's picture library: the folder $ZMR_PICTURES, else "Pictures"
// in the home directory. Pictures are the regular files in it (not in
// subfolders, not through links) whose names end in .png, .jpg, .jpeg or .gif.
//
// Any thread.

#include "platform/foundation/Error.h"
#include "platform/graphics/Forward.h"

#include <string>
#include <vector>

namespace pf {

std::string photoAlbumDirectory();
// Full paths, sorted by name.
std::vector<std::string> photoAlbumImagePaths();
// Adds the picture as a new PNG file and answers its path. An existing file
// is never replaced: the name takes the first free number.
ErrorOr<std::string> saveImageToPhotosAlbum(const Image& image);

}
