#pragma once

// The points, prize, like, comment, upload, publish and profile services on
// the test buses: SocialBus is AuthBus with them added, and socialRoadConfig
// is the road configuration with them added and the upload "url" set.

#include "RoadTestSupport.h"

#include "framework/core/KRHttpTask.h"

// Takes every IKRHttpUploadTask and keeps it, so that a test can look at the
// request and end the exchange itself; records withdrawn exchanges.
struct UploadRecord {
    std::vector<std::shared_ptr<KRHttpTask>> uploads;
    std::vector<pf::ObjectRef> cancels;
    bool refuse = false; // take no upload, as when no HTTP service is configured
};
UploadRecord*& uploadRecord();

class TestUploadHttpService : public KRService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    // Withdraws the recorded uploads of that source, as the HTTP service does.
    bool cancelHandleForSource(const pf::Object* source) override;
};

// Registers TestUploadHttpService once.
void registerSocialTestClasses();

// Appends the entries of those services to the configuration's "services".
void addSocialServices(const pf::DictionaryRef& config, const std::string& uploadUrl);
pf::DictionaryRef socialRoadConfig(const std::string& apiUrl, const std::string& uploadUrl);

class SocialBus : public AuthBus {
protected:
    void SetUp() override;
    void TearDown() override;

    // Ends recorded upload `index` with the answer `json`, or with a
    // transport failure when `json` is null.
    void endUpload(std::size_t index, const char* json);

    UploadRecord uploads;
};
