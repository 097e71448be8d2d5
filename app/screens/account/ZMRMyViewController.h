#pragma once

// The signed-in user's own profile: portrait and nickname (both filled by
// the interface file's data outlets), a new portrait from the picture
// library, and one save of both through ZMRUpdateUserTask. Saving first ends
// the typing (the keyboard goes); the screen stays after saving and confirms
// with the toast "保存成功" for 1.2 s.
//
// The portrait is an image task whose source is the screen; it is withdrawn
// before a picked picture is shown (a late download must not replace the
// choice) and when the screen goes. A device with a camera first asks
// "pop:///image-picker" which source to use ("camera" or "library"; any
// other answer changes nothing); without one the library picker opens at
// once. Pickers are presented from the context's topPresentViewController.
//
// What is saved as the portrait is the picked picture or the loaded one,
// never the placeholder: with neither, the task carries no picture and the
// server keeps the stored one. Nickname checks and the sending state are
// those of the nickname screen (ZMRNickRule.h).
//
// Main queue only.

#include "app/screens/account/ZMRUserUpdateScreen.h"
#include "platform/controls/ImagePickerController.h"

#include <functional>

class KRImageView;

namespace pf {
class TextField;
}

class ZMRMyViewController : public ZMRUserUpdateScreen, public pf::ImagePickerControllerDelegate {
public:
    ~ZMRMyViewController() override;

    // Whether the device has a camera; the platform has none, tests pretend
    // one to reach the prompt. Null restores the platform's answer.
    static void setCameraAvailableForTesting(std::function<bool()> available);

    const std::shared_ptr<KRImageView>& imageView() const { return m_imageView; }
    void setImageView(std::shared_ptr<KRImageView> view) { m_imageView = std::move(view); }
    const std::shared_ptr<pf::TextField>& nickTextField() const { return m_nickTextField; }
    void setNickTextField(std::shared_ptr<pf::TextField> field) { m_nickTextField = std::move(field); }

    // The portrait a save sends now: the shown picture unless it is the
    // placeholder or nothing.
    pf::BitmapRef logoImage() const;

    void viewDidLoad() override;
    void doLogoAction(const pf::ObjectRef& sender);
    void doSaveAction(const pf::ObjectRef& sender);

    void imagePickerControllerDidFinishPickingMediaWithInfo(pf::ImagePickerController& picker,
                                                            const pf::DictionaryRef& info) override;
    void imagePickerControllerDidCancel(pf::ImagePickerController& picker) override;

protected:
    void userUpdateDidSucceed() override;

private:
    void presentPicker(pf::ImagePickerSourceType sourceType);
    void cancelPortrait();

    std::shared_ptr<KRImageView> m_imageView;
    std::shared_ptr<pf::TextField> m_nickTextField;
};
