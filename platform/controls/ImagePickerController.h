#pragma once

// Chooses a picture from the picture library (see PhotoAlbum.h): a grid of
// the album's pictures under a bar with a "取消" button. A tap on a picture
// hands it to the delegate under ImagePickerControllerOriginalImage and,
// when editing is allowed, its centred square under
// ImagePickerControllerEditedImage; "取消" tells the delegate of the cancel.
// The delegate dismisses the picker. There is no camera here.
//
// Main thread only. The delegate is not retained.

#include "platform/foundation/Collections.h"
#include "platform/ui/ViewController.h"

#include <string>
#include <vector>

namespace pf {

class ImagePickerController;

inline const std::string ImagePickerControllerOriginalImage = "pf::ImagePickerControllerOriginalImage";
inline const std::string ImagePickerControllerEditedImage = "pf::ImagePickerControllerEditedImage";

enum class ImagePickerSourceType { PhotoLibrary, Camera, SavedPhotosAlbum };

class ImagePickerControllerDelegate {
public:
    virtual ~ImagePickerControllerDelegate() = default;
    // `info` holds the pictures as pf::Image objects.
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController&, const DictionaryRef&) {}
    virtual void imagePickerControllerDidCancel(ImagePickerController&) {}
};

class ImagePickerController : public ViewController {
public:
    static bool isSourceTypeAvailable(ImagePickerSourceType type) { return type != ImagePickerSourceType::Camera; }

    void setDelegate(const std::shared_ptr<ImagePickerControllerDelegate>& delegate) { m_delegate = delegate; }
    ImagePickerSourceType sourceType() const { return m_sourceType; }
    // A source that is not available is ignored.
    void setSourceType(ImagePickerSourceType type);
    bool allowsEditing() const { return m_allowsEditing; }
    void setAllowsEditing(bool allows) { m_allowsEditing = allows; }

    // The pictures offered, in the order shown; read when the view loads.
    const std::vector<std::string>& imagePaths() const { return m_paths; }
    // As a tap on the picture at `index` does; false when it does not decode.
    bool pickImageAtIndex(std::size_t index);
    void cancel();

    void loadView() override;

private:
    std::weak_ptr<ImagePickerControllerDelegate> m_delegate;
    ImagePickerSourceType m_sourceType = ImagePickerSourceType::PhotoLibrary;
    bool m_allowsEditing = false;
    std::vector<std::string> m_paths;
};

}
