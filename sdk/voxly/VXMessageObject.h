#pragma once

// The content a share to the Voxly app carries: text, one picture or one
// rich media object (music, video, web page), and the dictionary form it
// travels in inside a request's "message" key.
//
// Dictionaries come from other processes: "__class" is looked up in the
// fixed table of this file's classes only (a media dictionary may name only
// a media class), and every field is read only when it has its own type
// (strings as strings, data as data); a field of another type reads as
// absent. Limits are checked by validate(), never while reading.
//
// Plain values; any thread, one at a time.

#include "platform/foundation/Forward.h"
#include "platform/graphics/Forward.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The length in Voxly words: blanks and narrow units (below 128) count half,
// rounded up, wide units one each; a text of blanks alone counts 0.
std::size_t vx_wordCount(std::string_view text);

class VXImageObject {
public:
    static std::shared_ptr<VXImageObject> object() { return std::make_shared<VXImageObject>(); }
    std::optional<pf::Bytes> imageData;

    // Null when the data is missing or no picture.
    pf::ImageRef image() const;
    std::optional<std::string> validate() const;

    static pf::DictionaryRef dictionaryWithImageObject(const VXImageObject& image);
    // Null when "imageData" is missing or not data.
    static std::shared_ptr<VXImageObject> imageObjectWithDictionary(const pf::Dictionary& dictionary);
};

class VXBaseMediaObject {
public:
    virtual ~VXBaseMediaObject() = default;
    static std::shared_ptr<VXBaseMediaObject> object() { return std::make_shared<VXBaseMediaObject>(); }

    virtual const char* className() const { return "VXBaseMediaObject"; }
    virtual std::optional<std::string> validate() const;
    virtual void storeToDictionary(pf::Dictionary& dictionary) const;
    virtual void loadFromDictionary(const pf::Dictionary& dictionary);

    static pf::DictionaryRef dictionaryWithMediaObject(const VXBaseMediaObject& media);
    // Null when "__class" is missing or names no media class.
    static std::shared_ptr<VXBaseMediaObject> mappedMediaObjectWithDictionary(const pf::Dictionary& dictionary);

    std::optional<std::string> objectID;
    std::optional<std::string> title;
    std::optional<std::string> description;
    std::optional<pf::Bytes> thumbnailData;
    std::optional<std::string> scheme;
};

class VXMusicObject final : public VXBaseMediaObject {
public:
    static std::shared_ptr<VXMusicObject> object() { return std::make_shared<VXMusicObject>(); }
    const char* className() const override { return "VXMusicObject"; }
    std::optional<std::string> validate() const override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    std::optional<std::string> musicUrl, musicLowBandUrl, musicStreamUrl, musicLowBandStreamUrl;
};

class VXVideoObject final : public VXBaseMediaObject {
public:
    static std::shared_ptr<VXVideoObject> object() { return std::make_shared<VXVideoObject>(); }
    const char* className() const override { return "VXVideoObject"; }
    std::optional<std::string> validate() const override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    std::optional<std::string> videoUrl, videoLowBandUrl, videoStreamUrl, videoLowBandStreamUrl;
};

class VXWebpageObject final : public VXBaseMediaObject {
public:
    static std::shared_ptr<VXWebpageObject> object() { return std::make_shared<VXWebpageObject>(); }
    const char* className() const override { return "VXWebpageObject"; }
    std::optional<std::string> validate() const override;
    void storeToDictionary(pf::Dictionary& dictionary) const override;
    void loadFromDictionary(const pf::Dictionary& dictionary) override;

    std::optional<std::string> webpageUrl;
};

class VXMessageObject {
public:
    static std::shared_ptr<VXMessageObject> message() { return std::make_shared<VXMessageObject>(); }

    std::optional<std::string> validate() const;

    static pf::DictionaryRef dictionaryWithMessage(const VXMessageObject& message);
    // Null when "__class" is missing or no message class, or when none of
    // "text", "imageObject", "mediaObject" is there.
    static std::shared_ptr<VXMessageObject> messageWithDictionary(const pf::Dictionary& dictionary);

    std::optional<std::string> text;
    std::shared_ptr<VXImageObject> imageObject;
    std::shared_ptr<VXBaseMediaObject> mediaObject;
};

// Typed reads of dictionaries from other processes, shared by the transfer
// objects: nothing when the key is absent or holds another type.
namespace vx {
std::optional<std::string> stringField(const pf::Dictionary& dictionary, std::string_view key);
std::optional<pf::Bytes> dataField(const pf::Dictionary& dictionary, std::string_view key);
void setField(pf::Dictionary& dictionary, std::string_view key, const std::optional<std::string>& value);
void setField(pf::Dictionary& dictionary, std::string_view key, const std::optional<pf::Bytes>& value);
}
