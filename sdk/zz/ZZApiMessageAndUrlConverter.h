#pragma once

// Turns the URLs by which ZZ talks to a sharing application back into
// messages: "request_from_zz" ("/view" a type-1 message with the object the
// query and the large-data board describe, "/pick" a type-3 message without
// one) and "response_from_zz" (a type-6 message with a result object).
// Small values travel base64-encoded in the query; large ones (file data,
// preview, picture list) on the datastore's large-data board, whose fields
// are type-checked. A web share result (ZZWebViewKit.h) comes first and
// gives its result message. Every malformed URL gives nothing. The outgoing URL is
// built by the SDK's scripts, so urlWithMessage is empty here.
//
// Main queue only.

#include "platform/foundation/URL.h"

#include <map>
#include <optional>
#include <string>

class ZZApiCommonContentObject;
class ZZApiExtendObject;
class ZZApiImageObject;
class ZZApiMessage;
class ZZApiObject;
class ZZApiPayObject;
class ZZApiTextObject;
class ZZApiURLObject;
class ZZApiWPAObject;
class ZZApiURLDecoder;

class ZZApiMessageAndUrlConverter {
public:
    using QueryItem = std::map<std::string, std::string>;

    static std::optional<pf::URL> urlWithMessage(const std::shared_ptr<ZZApiMessage>&) { return std::nullopt; }
    // The outgoing builders per kind of object, empty for the same reason.
    static std::optional<pf::URL> urlWithTextObject(const std::shared_ptr<ZZApiTextObject>&, unsigned) { return std::nullopt; }
    static std::optional<pf::URL> urlWithExtendObject(const std::shared_ptr<ZZApiExtendObject>&, unsigned)
    {
        return std::nullopt;
    }
    static std::optional<pf::URL> urlWithImageObject(const std::shared_ptr<ZZApiImageObject>&, unsigned)
    {
        return std::nullopt;
    }
    static std::optional<pf::URL> urlWithURLObject(const std::shared_ptr<ZZApiURLObject>&, unsigned) { return std::nullopt; }
    static std::optional<pf::URL> urlWithCommonContentObject(const std::shared_ptr<ZZApiCommonContentObject>&, unsigned)
    {
        return std::nullopt;
    }
    static std::optional<pf::URL> urlWithPayObject(const std::shared_ptr<ZZApiPayObject>&, unsigned) { return std::nullopt; }
    static std::optional<pf::URL> urlWithWPAObject(const std::shared_ptr<ZZApiWPAObject>&, unsigned) { return std::nullopt; }
    static std::optional<pf::URL> urlWithQueryItem(const QueryItem&, unsigned) { return std::nullopt; }
    static std::optional<pf::URL> urlWithQueryItemForPay(const QueryItem&, unsigned) { return std::nullopt; }
    static std::optional<pf::URL> urlWithQueryItemForWPA(const QueryItem&, unsigned) { return std::nullopt; }
    static std::shared_ptr<ZZApiMessage> messageWithUrl(const pf::URL* url);
    static std::shared_ptr<ZZApiMessage> messageWithUrlNoClipboard(const pf::URL* url);
    static std::shared_ptr<ZZApiMessage> messageWithRequestFromZZ(const ZZApiURLDecoder& decoder);
    static std::shared_ptr<ZZApiMessage> messageWithResponseFromZZ(const ZZApiURLDecoder& decoder);
    // The datastore's API message when the query's "NeedToGetData" is "true".
    static std::shared_ptr<ZZApiMessage> messageWithUrlUsedClipboard(const pf::URL* url);

    // Base64 of each given text's UTF-8 under "title", "description" and
    // "thirdAppDisplayName".
    static void setTitle(const std::optional<std::string>& title, const std::optional<std::string>& description,
                         const std::optional<std::string>& appName, QueryItem& queryItem);
    static void setPreviewImageData(const std::optional<pf::Bytes>& data, QueryItem& queryItem);
    static void setString(const std::optional<std::string>& text, const std::optional<std::string>& key,
                          QueryItem& queryItem);
    static void setURL(const std::optional<pf::URL>& url, const std::optional<std::string>& key, QueryItem& queryItem);
    // Stores "previewimagedata", "file_data" and "image_data_list" (each when
    // given) as the datastore's large data.
    static void setPasteBoardPrevImageData(const std::optional<pf::Bytes>& preview, const std::optional<pf::Bytes>& fileData,
                                           const pf::ArrayRef& imageDataArray);
    static std::optional<std::string> smartURLString(const std::optional<pf::URL>& url);
    // The object a "/view" URL describes, by its "file_type".
    static std::shared_ptr<ZZApiObject> getObjectByUrl(const ZZApiURLDecoder& decoder);
};

class ZZApiMessageUtil {
public:
    static std::shared_ptr<ZZApiMessage> messageWithURL(const pf::URL* url)
    {
        return ZZApiMessageAndUrlConverter::messageWithUrl(url);
    }
    static std::optional<pf::URL> URLWithMessage(const std::shared_ptr<ZZApiMessage>&) { return std::nullopt; }
};
