#pragma once

// ZZApiMessage wraps one share object with its message type: 1 a message
// ZZ asks the application to show ("/view"), 3 a pick request ("/pick"),
// 5 a message to send to ZZ (the default), 6 a result from ZZ. It is what
// travels on the API-message board. ZZApiObjectCoderImpl is the archive
// of one share object inside it; ZZApiAdItem is an entry of the ad-items
// board. One thread at a time.

#include "sdk/zz/ZZArchive.h"
#include "sdk/zz/ZZApiObject.h"

class ZZApiMessage final : public ZZArchivedRecord {
public:
    ZZApiMessage() = default;
    ZZApiMessage(std::shared_ptr<ZZApiObject> object, unsigned type) : m_object(std::move(object)), m_type(type) {}
    static std::shared_ptr<ZZApiMessage> messageWithObject(std::shared_ptr<ZZApiObject> object, unsigned type = 5);

    const std::shared_ptr<ZZApiObject>& object() const { return m_object; }
    void setObject(std::shared_ptr<ZZApiObject> object) { m_object = std::move(object); }
    unsigned type() const { return m_type; }
    void setType(unsigned type) { m_type = type; }

    // The share task working on this message; not retained, so a finished
    // task lets go of the message and the message of the task.
    void setAssociatedTask(const std::shared_ptr<pf::Object>& task) { m_task = task; }
    bool isAssociatedWithTask() const { return !m_task.expired(); }

    // "ApiVersion" 1, "type", and "object": the archive of the object's
    // ZZApiObjectCoderImpl (left out without an object).
    pf::DictionaryRef archiveDictionary() const override;
    // "ApiVersion" below 1 gives an empty message; an "object" that does not
    // decode leaves the message without one.
    static std::shared_ptr<ZZApiMessage> decode(const pf::Dictionary& fields, std::size_t maxSize);

private:
    std::shared_ptr<ZZApiObject> m_object;
    unsigned m_type = 0;
    std::weak_ptr<pf::Object> m_task;
};

class ZZApiObjectCoderImpl final : public ZZArchivedRecord {
public:
    ZZApiObjectCoderImpl() = default;
    explicit ZZApiObjectCoderImpl(std::shared_ptr<ZZApiObject> object) : m_obj(std::move(object)) {}
    const std::shared_ptr<ZZApiObject>& obj() const { return m_obj; }

    // "objectType" (the first matching of the nine wire class names, a
    // subclass before its base) and "ApiVersion" 1, then that row's fields;
    // only the class name without an object.
    pf::DictionaryRef archiveDictionary() const override;
    // An object of the named class (no object for any other name), its
    // row's fields filled when "ApiVersion" is at least 1.
    static std::shared_ptr<ZZApiObjectCoderImpl> decode(const pf::Dictionary& fields);

private:
    std::shared_ptr<ZZApiObject> m_obj;
};

class ZZApiAdItem final : public ZZArchivedRecord {
public:
    const OptionalText& title() const { return m_title; }
    void setTitle(OptionalText title) { m_title = std::move(title); }
    std::string description() const override { return m_description.value_or(std::string()); }
    const OptionalText& descriptionValue() const { return m_description; }
    void setDescription(OptionalText description) { m_description = std::move(description); }
    const OptionalBytes& imageData() const { return m_imageData; }
    void setImageData(OptionalBytes data) { m_imageData = std::move(data); }
    const OptionalURL& target() const { return m_target; }
    void setTarget(OptionalURL target) { m_target = std::move(target); }

    // "version" 1, "title", "desc", "imgdata", "target" (absolute text).
    pf::DictionaryRef archiveDictionary() const override;
    // Fields filled only when "version" is 1.
    static std::shared_ptr<ZZApiAdItem> decode(const pf::Dictionary& fields);

private:
    OptionalText m_title;
    OptionalText m_description;
    OptionalBytes m_imageData;
    OptionalURL m_target;
};
