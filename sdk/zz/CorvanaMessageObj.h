#pragma once

// Content objects of the Corvana app messages: what a ZZ or Plaza request
// asks for and an answer carries. The kind (nVersion) is fixed by the class:
// 0 text, 1 image, 2 audio, 3 video, 4 image and video. Records archive as
// a dictionary of their wire keys plus their class name (ZZArchive.h's
// kClassKey) and decode through CorvanaMessageParse's fixed table.
// One thread at a time.

#include "platform/foundation/Object.h"

#include <optional>
#include <string>

class CorvanaBaseMessageObj : public pf::Object {
public:
    CorvanaBaseMessageObj() = default;
    explicit CorvanaBaseMessageObj(int version) : m_nVersion(version) {}

    int nVersion() const { return m_nVersion; }
    const std::optional<std::string>& sName() const { return m_sName; }
    void setSName(std::optional<std::string> name) { m_sName = std::move(name); }
    const pf::DictionaryRef& dictExpandInfo() const { return m_dictExpandInfo; }
    void setDictExpandInfo(pf::DictionaryRef info) { m_dictExpandInfo = std::move(info); }

    // The size rules of the object's own kind: every field within its cap,
    // and what its kind requires.
    virtual bool isVaild() const;
    virtual const char* className() const { return "CorvanaBaseMessageObj"; }
    // "nVersion", "sName", "dictExpandInfo", then the kind's keys.
    virtual pf::DictionaryRef encode() const;
    // Fills the fields from an archived dictionary; wrong types are skipped.
    virtual void decodeFields(const pf::Dictionary& fields);

private:
    int m_nVersion = 0;
    std::optional<std::string> m_sName;
    pf::DictionaryRef m_dictExpandInfo;
};

class CorvanaTextMessageObjV1 final : public CorvanaBaseMessageObj {
public:
    CorvanaTextMessageObjV1() : CorvanaBaseMessageObj(0) {}
    explicit CorvanaTextMessageObjV1(std::optional<std::string> text) : CorvanaBaseMessageObj(0), m_sText(std::move(text)) {}
    const std::optional<std::string>& sText() const { return m_sText; }
    void setSText(std::optional<std::string> text) { m_sText = std::move(text); }
    // The base rule and the text's own cap: a text object is judged by all
    // of its fields.
    bool isVaild() const override { return isValid(); }
    bool isValid() const;
    const char* className() const override { return "CorvanaTextMessageObjV1"; }
    pf::DictionaryRef encode() const override;
    void decodeFields(const pf::Dictionary& fields) override;

private:
    std::optional<std::string> m_sText;
};

// nType 1: the image is given by URL; 2: by data.
class CorvanaImageMessageObjV1 final : public CorvanaBaseMessageObj {
public:
    CorvanaImageMessageObjV1() : CorvanaBaseMessageObj(1) {}
    static std::shared_ptr<CorvanaImageMessageObjV1> initWithImageData(std::optional<pf::Bytes> data);
    static std::shared_ptr<CorvanaImageMessageObjV1> initWithImageUrl(std::optional<std::string> url);
    static std::shared_ptr<CorvanaImageMessageObjV1> initWithType(int type);

    const std::optional<pf::Bytes>& dataImage() const { return m_dataImage; }
    void setDataImage(std::optional<pf::Bytes> data) { m_dataImage = std::move(data); }
    const std::optional<std::string>& sUrl() const { return m_sUrl; }
    void setSUrl(std::optional<std::string> url) { m_sUrl = std::move(url); }
    const std::optional<pf::Bytes>& dataThumbImage() const { return m_dataThumbImage; }
    void setDataThumbImage(std::optional<pf::Bytes> data) { m_dataThumbImage = std::move(data); }
    const std::optional<std::string>& sDescription() const { return m_sDescription; }
    void setSDescription(std::optional<std::string> text) { m_sDescription = std::move(text); }
    double imageWidth() const { return m_width; }
    double imageHeight() const { return m_height; }
    void setSzImage(double width, double height)
    {
        m_width = width;
        m_height = height;
    }
    int nType() const { return m_nType; }

    bool isVaild() const override;
    const char* className() const override { return "CorvanaImageMessageObjV1"; }
    pf::DictionaryRef encode() const override;
    void decodeFields(const pf::Dictionary& fields) override;

private:
    std::optional<pf::Bytes> m_dataImage;
    std::optional<std::string> m_sUrl;
    std::optional<pf::Bytes> m_dataThumbImage;
    std::optional<std::string> m_sDescription;
    double m_width = 0;
    double m_height = 0;
    int m_nType = 0;
};

// Audio (kind 2) and video (kind 3) share their fields; video adds nType.
class CorvanaMediaMessageObj : public CorvanaBaseMessageObj {
public:
    using CorvanaBaseMessageObj::CorvanaBaseMessageObj;
    const std::optional<std::string>& sUrl() const { return m_sUrl; }
    void setSUrl(std::optional<std::string> url) { m_sUrl = std::move(url); }
    const std::optional<std::string>& sImagePreviewUrl() const { return m_sImagePreviewUrl; }
    void setSImagePreviewUrl(std::optional<std::string> url) { m_sImagePreviewUrl = std::move(url); }
    const std::optional<pf::Bytes>& dataImagePreview() const { return m_dataImagePreview; }
    void setDataImagePreview(std::optional<pf::Bytes> data) { m_dataImagePreview = std::move(data); }
    const std::optional<std::string>& sDescription() const { return m_sDescription; }
    void setSDescription(std::optional<std::string> text) { m_sDescription = std::move(text); }
    bool isVaild() const override;

protected:
    void encodeMedia(pf::Dictionary& fields, bool withType, int type) const;
    void decodeMedia(const pf::Dictionary& fields);

private:
    std::optional<std::string> m_sUrl;
    std::optional<std::string> m_sImagePreviewUrl;
    std::optional<pf::Bytes> m_dataImagePreview;
    std::optional<std::string> m_sDescription;
};

class CorvanaAudioMessageObjV1 final : public CorvanaMediaMessageObj {
public:
    CorvanaAudioMessageObjV1() : CorvanaMediaMessageObj(2) {}
    static std::shared_ptr<CorvanaAudioMessageObjV1> initWithAudioUrl(std::optional<std::string> url);
    const char* className() const override { return "CorvanaAudioMessageObjV1"; }
    pf::DictionaryRef encode() const override;
    void decodeFields(const pf::Dictionary& fields) override;
};

class CorvanaVideoMessageV1 final : public CorvanaMediaMessageObj {
public:
    CorvanaVideoMessageV1() : CorvanaMediaMessageObj(3) {}
    static std::shared_ptr<CorvanaVideoMessageV1> initWithVideoUrl(std::optional<std::string> url, int type);
    static std::shared_ptr<CorvanaVideoMessageV1> initWithType(int type) { return initWithVideoUrl(std::nullopt, type); }
    int nType() const { return m_nType; }
    void setNType(int type) { m_nType = type; }
    const char* className() const override { return "CorvanaVideoMessageV1"; }
    pf::DictionaryRef encode() const override;
    void decodeFields(const pf::Dictionary& fields) override;

private:
    int m_nType = 0;
};

// An image or a video, never both: setting one side clears the other.
class CorvanaImageAndVideoMessageObjV1 final : public CorvanaBaseMessageObj {
public:
    CorvanaImageAndVideoMessageObjV1() : CorvanaBaseMessageObj(4) {}
    // The data becomes the image when it decodes as one, else the URL the video.
    static std::shared_ptr<CorvanaImageAndVideoMessageObjV1> initWithMessage(std::optional<pf::Bytes> data,
                                                                              std::optional<std::string> videoUrl);
    const std::shared_ptr<CorvanaImageMessageObjV1>& objImageMessage() const { return m_image; }
    const std::shared_ptr<CorvanaVideoMessageV1>& objVideoMessage() const { return m_video; }
    void setObjImageMessage(std::shared_ptr<CorvanaImageMessageObjV1> image);
    void setObjVideoMessage(std::shared_ptr<CorvanaVideoMessageV1> video);
    void setDataImage(std::optional<pf::Bytes> data);
    void setVideoUrl(std::optional<std::string> url);

    bool isVaild() const override;
    const char* className() const override { return "CorvanaImageAndVideoMessageObjV1"; }
    pf::DictionaryRef encode() const override;
    void decodeFields(const pf::Dictionary& fields) override;

private:
    std::shared_ptr<CorvanaImageMessageObjV1> m_image;
    std::shared_ptr<CorvanaVideoMessageV1> m_video;
};

// Whether the bytes decode as a picture.
bool corvanaDataIsImage(const std::optional<pf::Bytes>& data);
// The content object an archived dictionary names through its class name;
// null for any name outside the content classes or a value of another type.
std::shared_ptr<CorvanaBaseMessageObj> corvanaDecodeContent(const pf::Value& archived);
