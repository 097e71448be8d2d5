// The SDK's script bridge and package install against bare baselines:
//   BM_BridgeRoundTrip        native -> script -> module function through
//                             SendCmd and the corvanajsbridge dispatcher -> back
//   BM_BareDuktapeCall        the same script calling a plain duktape C function
//   BM_PackageVerifyExtract_1MB  the bundle install of a 40-script package:
//                             signature, staged extraction, digests, swap
//   BM_BareExtractVerify_1MB  minizip extraction, SHA-1 per file, one verify
// Both package benchmarks extract into $ZMR_BENCH_SCRATCH, else /dev/shm (a
// memory file system) when there is one, else the temporary folder: on a
// disk shared with other work the journal's waits moved either side by 40%
// from run to run, hiding the install's own work. Each side deletes what its
// previous iteration wrote inside the timed loop.
#include "framework/util/KRUnZip.h"
#include "platform/controls/WebView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/URLCache.h"
#include "platform/script/ScriptContext.h"
#include "platform/security/Certificate.h"
#include "platform/security/Digest.h"
#include "platform/security/PublicKey.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/JsUpdateManager.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "tools/zzpackage/ZZPackageBuilder.h"
#include "tools/zzpackage/ZZPackageKey.h"

#include <benchmark/benchmark.h>
#include <duktape.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kText = "a text of forty characters, both ways ..";

void BM_BridgeRoundTrip(benchmark::State& state)
{
    auto web = std::make_shared<pf::WebView>();
    auto context = web->scriptContext();
    context->setConsoleSink([](const std::string&) {});
    auto runEnv = CorvanaJSRunEnv::initWithWebView(web, "", {});
    context->evaluate(CorvanaJSRunEnv::sendCmdScript);
    auto target = std::make_shared<pf::Object>();
    auto module = std::make_shared<CorvanaJSObject>();
    module->transformNativeObj(target, std::string("m"));
    module->transformNativeMethod("echo:", "echo", 1, {1}, [](const std::vector<pf::Value>& arguments) {
        return std::optional<pf::Value>(arguments[0]);
    });
    runEnv->registNativeObj(module);
    context->evaluate("function roundTrip(s) { return m.echo(s); }");
    // Made once, as the bare side pushes the same text each time without
    // copying it into a new container first.
    const std::vector<pf::Value> arguments{pf::Value(kText)};
    for (auto _ : state)
        benchmark::DoNotOptimize(context->callFunction("roundTrip", arguments));
    pf::URLCache::setShared(nullptr);
}
BENCHMARK(BM_BridgeRoundTrip);

duk_ret_t nativeEcho(duk_context* ctx)
{
    duk_push_string(ctx, duk_require_string(ctx, 0));
    return 1;
}

void BM_BareDuktapeCall(benchmark::State& state)
{
    duk_context* ctx = duk_create_heap_default();
    duk_push_c_function(ctx, nativeEcho, 1);
    duk_put_global_string(ctx, "nativeEcho");
    duk_eval_string_noresult(ctx, "function bare(s) { return nativeEcho(s); }");
    for (auto _ : state) {
        duk_get_global_string(ctx, "bare");
        duk_push_lstring(ctx, kText.data(), kText.size());
        duk_pcall(ctx, 1);
        std::string answer = duk_safe_to_string(ctx, -1);
        benchmark::DoNotOptimize(answer);
        duk_pop(ctx);
    }
    duk_destroy_heap(ctx);
}
BENCHMARK(BM_BareDuktapeCall);

fs::path scratchRoot()
{
    if (const char* chosen = std::getenv("ZMR_BENCH_SCRATCH"); chosen && *chosen)
        return chosen;
    std::error_code error;
    if (fs::is_directory("/dev/shm", error))
        return "/dev/shm";
    return fs::temp_directory_path();
}

struct Package {
    fs::path root = scratchRoot() / ("zzscript_bench_" + std::to_string(getpid()));
    std::unique_ptr<zmr::ZZPackageKey> key = zmr::ZZPackageKey::generate();
    std::string zip = (root / "bundle" / TOSDKRSACryptor::bundleName / "js.zip").string();
    pf::Bytes certificate = key->certificateDER();
    Package()
    {
        fs::create_directories(root / "bundle" / TOSDKRSACryptor::bundleName);
        std::vector<zmr::ZZScriptFile> files;
        for (int i = 0; i < 40; i++) {
            std::string body;
            while (body.size() < 26000) {
                body += "var value";
                body += std::to_string(body.size());
                body += " = ";
                body += std::to_string(i * 7919 + body.size());
                body += ";\n";
            }
            std::string name = "s";
            name += std::to_string(i);
            name += ".js";
            files.push_back({i == 0 ? "init.js" : name, body});
        }
        zmr::ZZPackageBuilder::writePackage(*key, files, R"({"version":1})", zip);
        pf::writeFileAtomically((root / "bundle" / TOSDKRSACryptor::bundleName / "public_key.der").string(),
                                std::string(certificate.begin(), certificate.end()));
        pf::Bundle::setMain(std::make_shared<pf::Bundle>((root / "bundle").string()));
        pf::setHomeDirectory((root / "home").string());
    }
    ~Package() { fs::remove_all(root); }
};

void BM_PackageVerifyExtract_1MB(benchmark::State& state)
{
    Package package;
    JsUpdateManager manager;
    for (auto _ : state) {
        if (!manager.loadBundleJsZip())
            state.SkipWithError("install failed");
    }
}
BENCHMARK(BM_PackageVerifyExtract_1MB)->Unit(benchmark::kMillisecond);

void BM_BareExtractVerify_1MB(benchmark::State& state)
{
    Package package;
    pf::PublicKeyRef key = pf::Certificate::createWithDER(package.certificate)->publicKey();
    std::string out = (package.root / "bare").string();
    for (auto _ : state) {
        fs::remove_all(out);
        auto zip = KRUnZip::initWithZipFile(package.zip);
        zip->unZipToDirectory(out);
        std::size_t digests = 0;
        for (const auto& item : fs::directory_iterator(out + "/js"))
            digests += pf::sha1(*pf::readFile(item.path().string())).size();
        auto list = pf::readFile(out + "/js/verify.json");
        auto signature = pf::readFile(out + "/js/verify.signature");
        benchmark::DoNotOptimize(key->verifySHA1Digest(pf::sha1(*list), *signature));
        benchmark::DoNotOptimize(digests);
    }
}
BENCHMARK(BM_BareExtractVerify_1MB)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
