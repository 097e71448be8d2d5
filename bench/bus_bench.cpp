// Task dispatch over 30 configured services, with and without "inherit",
// against a direct hash-map lookup of the same services.

#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRService.h"
#include "framework/core/KRShell.h"
#include "framework/core/KRTask.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"

#include <benchmark/benchmark.h>

#include <unordered_map>

namespace {

constexpr int kServices = 30;

class AcceptingService : public KRService {
public:
    bool handle(const pf::Protocol*, const pf::ObjectRef&, int) override
    {
        ++handled;
        return true;
    }
    long handled = 0;
};

std::vector<const pf::Protocol*>& taskTypes()
{
    static std::vector<const pf::Protocol*> types;
    return types;
}

// Each service lists a base type; tasks are sent with a type derived from it.
std::vector<const pf::Protocol*>& derivedTypes()
{
    static std::vector<const pf::Protocol*> types;
    return types;
}

std::shared_ptr<KRShell> makeShell(bool inherit)
{
    registerCoreClasses();
    pf::ClassBuilder<AcceptingService>("BenchAcceptingService").superclass<KRService>().commit();
    if (taskTypes().empty()) {
        for (int i = 0; i < kServices; ++i) {
            auto* base = pf::Protocol::define("IBenchTask" + std::to_string(i), {proto::IKRTask()});
            taskTypes().push_back(base);
            derivedTypes().push_back(pf::Protocol::define("IBenchDerivedTask" + std::to_string(i), {base}));
        }
    }
    auto services = pf::Array::create();
    for (int i = 0; i < kServices; ++i)
        services->add(pf::Dictionary::create({{"class", "BenchAcceptingService"},
                                              {"inherit", inherit},
                                              {"taskTypes", pf::Array::create({taskTypes()[static_cast<std::size_t>(i)]->name()})}}));
    return KRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
}

void BM_ShellDispatch30(benchmark::State& state)
{
    auto shell = makeShell(false);
    pf::ObjectRef task = std::make_shared<KRTask>();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(shell->handle(taskTypes()[i], task, 0));
        i = (i + 1) % kServices;
    }
}
BENCHMARK(BM_ShellDispatch30);

void BM_ShellDispatch30Inherit(benchmark::State& state)
{
    auto shell = makeShell(true);
    pf::ObjectRef task = std::make_shared<KRTask>();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(shell->handle(derivedTypes()[i], task, 0));
        i = (i + 1) % kServices;
    }
}
BENCHMARK(BM_ShellDispatch30Inherit);

void BM_DirectLookup30(benchmark::State& state)
{
    auto shell = makeShell(false);
    std::unordered_map<const pf::Protocol*, std::shared_ptr<IKRService>> services;
    for (int i = 0; i < kServices; ++i) {
        services.emplace(taskTypes()[static_cast<std::size_t>(i)], std::make_shared<AcceptingService>());
    }
    pf::ObjectRef task = std::make_shared<KRTask>();
    std::size_t i = 0;
    for (auto _ : state) {
        auto it = services.find(taskTypes()[i]);
        benchmark::DoNotOptimize(it != services.end() && it->second->handle(taskTypes()[i], task, 0));
        i = (i + 1) % kServices;
    }
}
BENCHMARK(BM_DirectLookup30);

}

BENCHMARK_MAIN();
