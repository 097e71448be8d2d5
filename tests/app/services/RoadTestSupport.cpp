#include "RoadTestSupport.h"

#include "framework/core/KRHttpRegistration.h"

pf::DictionaryRef roadConfig(const std::string& apiUrl, double timeout)
{
    registerAuthTestClasses();
    auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
    auto services = pf::Array::create({
        pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", list({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
        pf::Dictionary::create({{"class", "KRHttpService"},
                                {"maxThreadCount", 4},
                                {"timeout", timeout},
                                {"taskTypes", list({"IKRHttpAPITask", "IKRHttpUploadTask", "IKRHttpResourceTask"})}}),
        pf::Dictionary::create({{"class", "KRAPIService"},
                                {"url", apiUrl},
                                {"timeout", timeout},
                                {"taskTypes", list({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
        pf::Dictionary::create({{"class", "TestRecordingService"}, {"taskTypes", list({"IZMRConcernTask", "IZMRCoinTask"})}}),
        pf::Dictionary::create({{"class", "ZMRAuthService"},
                                {"taskTypes", list({"IZMRAuthTask", "IZMRLoginTask", "IZMRRegisterTask", "IZMRLogoutTask",
                                                    "IZMRVoxlyLoginTask", "IZMRVoxlyBindTask", "IZMRZZLoginTask",
                                                    "IZMRZZBindTask", "IKRAPIResponseTask"})}}),
        pf::Dictionary::create({{"class", "ZMRDownlinkService"}, {"taskTypes", list({"IZMRDownlinkTask", "IKRAPIResponseTask"})}}),
    });
    return pf::Dictionary::create({{"services", services}});
}

bool sendAndWait(const std::shared_ptr<ZMRShell>& shell, const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task,
                 const std::shared_ptr<UplinkRecorder>& recorder, double seconds)
{
    std::size_t before = recorder->errors.size() + recorder->results.size();
    task->setDelegate(recorder);
    task->setSource(task);
    if (!shell->handle(type, task, 0))
        return false;
    return runMainUntil([&] { return recorder->errors.size() + recorder->results.size() > before; }, seconds);
}
