#include "sdk/zz/JsUpdateManager.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/net/HttpConnection.h"
#include "platform/net/HttpRequest.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CVZipArchive.h"
#include "sdk/zz/JsPackageLock.h"
#include "sdk/zz/JsUpdateTimer.h"
#include "sdk/zz/JsUpdateVersionController.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "sdk/zz/TOSDKUpdateVerify.h"

#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxVersionDigits = 18;

bool isHttpURL(const std::string& url)
{
    return url.starts_with("http://") || url.starts_with("https://");
}

bool isDigits(const std::string& text)
{
    return !text.empty() && text.size() <= kMaxVersionDigits &&
        text.find_first_not_of("0123456789") == std::string::npos;
}

// A whole, non-negative number (or a text of digits) as its digits.
std::optional<std::string> wholeNumberText(const pf::Value& value)
{
    if (const std::string* text = value.string())
        return isDigits(*text) ? std::optional(*text) : std::nullopt;
    if (!value.isNumber())
        return std::nullopt;
    double number = value.doubleValue();
    if (!(number >= 0) || number > 1e15 || std::trunc(number) != number)
        return std::nullopt;
    return std::to_string(static_cast<long long>(number));
}

// The body of a 200 answer, at most `cap` bytes; nothing otherwise.
std::optional<pf::Bytes> fetch(const std::string& url, std::size_t cap, std::chrono::duration<double> timeout)
{
    if (!isHttpURL(url))
        return std::nullopt;
    auto result = pf::HttpConnection::sendSynchronousRequest(
        pf::HttpRequest(url, pf::URLRequestCachePolicy::UseProtocolCachePolicy, timeout), cap);
    if (!result.ok() || result->bodyTooLarge || result->response.statusCode() != 200)
        return std::nullopt;
    return std::move(result->body);
}

std::optional<std::string> readText(const std::string& path)
{
    std::optional<pf::Bytes> bytes = pf::readFile(path);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

pf::DictionaryRef parseObject(const std::optional<std::string>& text)
{
    if (!text)
        return nullptr;
    CVOSDKEZJSONParser parser;
    return parser.objectWithString(*text).dictionary();
}

}

JsUpdateManager::JsUpdateManager()
    : m_libCachesFolderPath(pf::homeDirectory() + "/Library/caches")
    , m_jsTmpFolderPath(m_libCachesFolderPath + "/js")
    , m_jsFinalFolderPath(m_libCachesFolderPath + "/finaljs")
    , m_versionController(std::make_shared<JsUpdateVersionController>(m_jsFinalFolderPath))
{
    std::error_code error;
    if (fs::exists(m_jsTmpFolderPath, error) || fs::exists(m_libCachesFolderPath + "/.staging", error)) {
        JsPackageLock lock(m_libCachesFolderPath);
        clearJsTmpStorage();
        deleteFolder(m_libCachesFolderPath + "/.staging");
    }
}

JsUpdateManager::~JsUpdateManager()
{
    // Waits for a run in progress, which uses this object.
    m_updateTimer.reset();
}

void JsUpdateManager::update(const std::string& business)
{
    if (m_isWorking.exchange(true))
        return;
    if (checkUpdate(business) && loadZip()) {
        JsPackageLock lock(m_libCachesFolderPath);
        if (!installFromZip(true))
            clearJsTmpStorage();
    }
    m_isWorking.store(false);
}

bool JsUpdateManager::checkUpdate(const std::string& business)
{
    // No server answers the built-in origin: nothing is asked of it.
    if (CVOSDKServers::isPlaceholder(CVOSDKServers::Row::BusinessCheck))
        return false;
    // Without an installed version of digits the server is told "1".
    std::string version = m_versionController->latestVersion().stringOr();
    std::string path = "/pub/check_bizup?uin=0&qver=2.0.1&pf=2&hver=";
    path.append(isDigits(version) ? version.c_str() : "1");
    path += "&biz=";
    path += business;
    std::optional<pf::Bytes> body =
        fetch(CVOSDKServers::url(CVOSDKServers::Row::BusinessCheck, path), maxCheckBytes, std::chrono::seconds(180));
    if (!body)
        return false;
    std::string text(body->begin(), body->end());
    std::size_t first = text.find_first_not_of(" \t\r\n");
    std::size_t last = text.find_last_not_of(" \t\r\n");
    pf::DictionaryRef answer = first == std::string::npos ? nullptr : parseObject(text.substr(first, last - first + 1));
    if (!answer)
        return false;
    std::optional<std::string> type = wholeNumberText(answer->get("type"));
    std::optional<std::string> offered = wholeNumberText(answer->get("version"));
    std::optional<std::string> url = answer->string("url");
    if (type != "1" || !offered || !url || !isHttpURL(*url))
        return false;
    m_zipRequestPath = *url;
    m_zipVersion = *offered;
    return true;
}

bool JsUpdateManager::loadZip()
{
    std::string name = fs::path(m_zipRequestPath.substr(0, m_zipRequestPath.find_first_of("?#"))).filename().string();
    if (name.empty() || name == "." || name == ".." || name == "bundlejs.zip")
        name = "download.zip";
    std::string local = pf::temporaryDirectory() + "/" + name;
    deleteFolder(local);
    std::optional<pf::Bytes> package = fetch(m_zipRequestPath, maxPackageBytes, pf::HttpRequest::defaultTimeoutInterval);
    if (!package || !pf::createDirectories(pf::temporaryDirectory()) ||
        pf::writeFileAtomically(local, std::string_view(reinterpret_cast<const char*>(package->data()), package->size())))
        return false;
    m_zipLocalPath = local;
    return true;
}

bool JsUpdateManager::loadBundleJsZip()
{
    JsPackageLock lock(m_libCachesFolderPath);
    m_zipLocalPath = pf::temporaryDirectory() + "/bundlejs.zip";
    // A copy left by an earlier run is never installed in place of the bundle's.
    deleteFolder(m_zipLocalPath);
    std::string bundlePackage = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/js.zip";
    std::error_code error;
    if (!pf::createDirectories(pf::temporaryDirectory()) || !fs::copy_file(bundlePackage, m_zipLocalPath, error)) {
        clearJsTmpStorage();
        return false;
    }
    bool installed = installFromZip(false);
    if (!installed)
        clearJsTmpStorage();
    return installed;
}

bool JsUpdateManager::unzip()
{
    return unzipInto(nullptr);
}

bool JsUpdateManager::validate(bool updateTime)
{
    return validateWith(updateTime, nullptr);
}

bool JsUpdateManager::installFromZip(bool updateTime)
{
    TOSDKUpdateVerify::Known known;
    return unzipInto(&known) && validateWith(updateTime, &known);
}

bool JsUpdateManager::unzipInto(TOSDKUpdateVerify::Known* known)
{
    m_configDic = nullptr;
    clearJsTmpStorage();
    std::string config = m_libCachesFolderPath + "/config.json";
    deleteFolder(config);
    if (m_zipLocalPath.empty())
        return false;
    std::error_code error;
    std::uintmax_t size = fs::file_size(m_zipLocalPath, error);
    std::optional<pf::Bytes> archive;
    if (!error && size <= maxPackageBytes)
        archive = pf::readFile(m_zipLocalPath);
    if (!archive || archive->size() > maxPackageBytes)
        return false;
    // Nothing is written for a package whose list is not signed.
    std::vector<std::optional<pf::Bytes>> signedEntries =
        CVZipArchive::dataOfEntries(*archive, {{"js/verify.json", 1u << 20}, {"js/verify.signature", 64u << 10}});
    std::optional<pf::Bytes>& list = signedEntries[0];
    std::optional<pf::Bytes>& signature = signedEntries[1];
    if (!TOSDKRSACryptor::verify(list, std::string(TOSDKRSACryptor::builtInPublicKey), signature))
        return false;
    // Only the script folder and the configuration beside it are taken, so
    // nothing else in the caches folder can be written.
    CVZipLimits limits{maxExtractedBytes, maxEntries, [](const std::vector<std::string>& parts, bool isFolder) {
                           if (parts.front() == "js")
                               return parts.size() > 1 || isFolder;
                           return parts.size() == 1 && parts.front() == "config.json" && !isFolder;
                       }};
    CVZipWritten written;
    written.keep = {"config.json"};
    if (!CVZipArchive::unzipData(*archive, m_libCachesFolderPath, nullptr, limits, known ? &written : nullptr) ||
        !fs::is_directory(m_jsTmpFolderPath, error)) {
        // What a failed extraction wrote is not left for the next step.
        clearJsTmpStorage();
        deleteFolder(config);
        return false;
    }
    auto kept = written.kept.find("config.json");
    if (kept != written.kept.end())
        m_configDic = parseObject(std::string(kept->second.begin(), kept->second.end()));
    else
        m_configDic = parseObject(readText(config));
    if (known) {
        for (auto& [path, digest] : written.sha1) {
            if (path.starts_with("js/") && path.find('/', 3) == std::string::npos)
                known->sha1.emplace(path.substr(3), std::move(digest));
        }
        known->checkedList = std::move(*list);
        known->checkedSignature = std::move(*signature);
    }
    return true;
}

bool JsUpdateManager::validateWith(bool updateTime, const TOSDKUpdateVerify::Known* known)
{
    std::optional<std::string> version = getVersion();
    bool valid = version &&
        (known ? TOSDKUpdateVerify::isNativeResourceFileValid(m_jsTmpFolderPath, *known)
               : verifyFolder(m_jsTmpFolderPath));
    if (!valid || !swapIntoFinal()) {
        clearJsTmpStorage();
        return false;
    }
    m_versionController->setVersionInfo(*version, getFrequency(), updateTime);
    return true;
}

bool JsUpdateManager::swapIntoFinal()
{
    std::string old = m_jsFinalFolderPath + ".old";
    deleteFolder(old);
    std::error_code error;
    bool hadOld = fs::exists(m_jsFinalFolderPath, error);
    if (hadOld) {
        fs::rename(m_jsFinalFolderPath, old, error);
        if (error)
            return false;
    }
    fs::rename(m_jsTmpFolderPath, m_jsFinalFolderPath, error);
    if (error) {
        if (hadOld) {
            std::error_code ignored;
            fs::rename(old, m_jsFinalFolderPath, ignored);
        }
        return false;
    }
    deleteFolder(old);
    return true;
}

long long JsUpdateManager::getFrequency() const
{
    std::optional<std::string> minutes = m_configDic ? wholeNumberText(m_configDic->get("frequency")) : std::nullopt;
    if (!minutes || !m_configDic->get("frequency").isNumber())
        return 0;
    long long frequency = std::stoll(*minutes);
    return frequency <= JsUpdateVersionController::maxFrequency ? frequency : 0;
}

std::optional<std::string> JsUpdateManager::getVersion() const
{
    return m_configDic ? wholeNumberText(m_configDic->get("version")) : std::nullopt;
}

bool JsUpdateManager::verifyFolder(const std::string& path) const
{
    return TOSDKUpdateVerify::isNativeResourceFileValid(path);
}

bool JsUpdateManager::cryptoVerifyFolder(const std::optional<std::string>& path)
{
    return path && TOSDKUpdateVerify::isNativeResourceFileValid(*path);
}

void JsUpdateManager::clearJsTmpStorage()
{
    deleteFolder(m_jsTmpFolderPath);
}

void JsUpdateManager::clearJsFinalStorage()
{
    deleteFolder(m_jsFinalFolderPath);
}

void JsUpdateManager::deleteFolder(const std::string& path)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void JsUpdateManager::setTimer(std::uint32_t interval, std::uint32_t delay)
{
    stopTimer();
    m_updateTimer = std::make_unique<JsUpdateTimer>(interval, delay);
}

void JsUpdateManager::startTimer(const std::string& business)
{
    if (m_updateTimer)
        m_updateTimer->start([this, business] { update(business); });
}

void JsUpdateManager::stopTimer()
{
    if (m_updateTimer)
        m_updateTimer->stop();
}
