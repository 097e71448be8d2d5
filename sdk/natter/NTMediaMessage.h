#pragma once

// The media message Natter shows (title, description, thumbnail and one
// media object) and the six media objects, plus the two internal records.
// Plain values holding data only: limits apply when a message becomes a
// record (AppCommunicateData). Any thread, one at a time.

#include "platform/foundation/Forward.h"
#include "platform/graphics/Forward.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The common base of the six media objects; `objectType` is the number a
// record carries ("objectType").
class NTMediaObject {
public:
    virtual ~NTMediaObject() = default;
    virtual std::uint32_t objectType() const = 0;
};

class NTImageObject final : public NTMediaObject {
public:
    static std::shared_ptr<NTImageObject> object() { return std::make_shared<NTImageObject>(); }
    std::uint32_t objectType() const override { return 2; }
    std::optional<pf::Bytes> imageData;
    std::optional<std::string> imageUrl;
};

class NTMusicObject final : public NTMediaObject {
public:
    static std::shared_ptr<NTMusicObject> object() { return std::make_shared<NTMusicObject>(); }
    std::uint32_t objectType() const override { return 3; }
    std::optional<std::string> musicUrl, musicLowBandUrl, musicDataUrl, musicLowBandDataUrl;
};

class NTVideoObject final : public NTMediaObject {
public:
    static std::shared_ptr<NTVideoObject> object() { return std::make_shared<NTVideoObject>(); }
    std::uint32_t objectType() const override { return 4; }
    std::optional<std::string> videoUrl, videoLowBandUrl;
};

class NTWebpageObject final : public NTMediaObject {
public:
    static std::shared_ptr<NTWebpageObject> object() { return std::make_shared<NTWebpageObject>(); }
    std::uint32_t objectType() const override { return 5; }
    std::optional<std::string> webpageUrl;
};

class NTAppExtendObject final : public NTMediaObject {
public:
    static std::shared_ptr<NTAppExtendObject> object() { return std::make_shared<NTAppExtendObject>(); }
    std::uint32_t objectType() const override { return 7; }
    std::optional<std::string> extInfo;
    std::optional<pf::Bytes> fileData;
    std::optional<std::string> url;
};

class NTEmoticonObject final : public NTMediaObject {
public:
    static std::shared_ptr<NTEmoticonObject> object() { return std::make_shared<NTEmoticonObject>(); }
    std::uint32_t objectType() const override { return 8; }
    std::optional<pf::Bytes> emoticonData;
};

class NTMediaMessage {
public:
    static std::shared_ptr<NTMediaMessage> message() { return std::make_shared<NTMediaMessage>(); }
    // The JPEG of the picture at quality 0.6; null leaves the thumbnail as it is.
    void setThumbImage(const pf::ImageRef& image);

    std::optional<std::string> title;
    std::optional<std::string> description;
    std::optional<pf::Bytes> thumbData;
    std::shared_ptr<NTMediaObject> mediaObject;
};

class NTMediaInternalMessage {
public:
    static std::shared_ptr<NTMediaInternalMessage> message() { return std::make_shared<NTMediaInternalMessage>(); }
    std::optional<std::string> title, description;
    std::optional<pf::Bytes> thumbData;
    std::uint32_t objectType = 0;
    std::optional<std::string> extInfo;
    std::optional<pf::Bytes> fileData;
    std::optional<std::string> mediaUrl, mediaLowBandUrl, mediaDataUrl, mediaLowBandDataUrl, fileExt;
};

class NTAuthInternal {
public:
    std::optional<std::string> scope, state;
};
