// Our MD5 against OpenSSL's on 64 B, 1 KB and 1 MB.
#include "framework/util/md5.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <vector>

namespace {

std::vector<unsigned char> input(std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; i++)
        bytes[i] = static_cast<unsigned char>(i * 131 + 7);
    return bytes;
}

void BM_MD5(benchmark::State& state)
{
    auto bytes = input(static_cast<std::size_t>(state.range(0)));
    unsigned char digest[16];
    for (auto _ : state) {
        md5_context context;
        md5_init(&context);
        md5_update(&context, bytes.data(), static_cast<int32_t>(bytes.size()));
        md5_final(&context, digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_OpenSSL_MD5(benchmark::State& state)
{
    auto bytes = input(static_cast<std::size_t>(state.range(0)));
    unsigned char digest[16];
    unsigned int size = 0;
    const EVP_MD* md5 = EVP_md5();
    for (auto _ : state) {
        EVP_Digest(bytes.data(), bytes.size(), digest, &size, md5, nullptr);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

}

BENCHMARK(BM_MD5)->Arg(64)->Arg(1024)->Arg(1 << 20);
BENCHMARK(BM_OpenSSL_MD5)->Arg(64)->Arg(1024)->Arg(1 << 20);

BENCHMARK_MAIN();
