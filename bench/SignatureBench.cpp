// SPDX-License-Identifier: MIT
// Signature check benchmark: a 65,000-byte package signed in the plain and the prehashed form,
// checked from the disk (signature read, file read or hashed) and as bytes already read. The
// median time per check over the runs is printed; nothing is asserted.
// Usage: bench_signature [checks per run] [runs]

#include "BenchClock.h"
#include "Minisign.h"
#include "TrustedKeys.h"
#include "PathText.h"

#include <sodium.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

constexpr size_t kPackageBytes = 65000;

void WriteFile(const fs::path &path, const std::string &content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// Signs `data` with a new key in the plain or prehashed form into `signaturePath`; the bare
// public key text in `publicKeyText`.
void SignNewKey(const std::string &data, bool prehashed, const fs::path &signaturePath, std::string &publicKeyText)
{
    uint8_t publicKey[crypto_sign_PUBLICKEYBYTES];
    uint8_t secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(publicKey, secretKey);
    TSignature signature;
    signature.Prehashed = prehashed;
    randombytes_buf(signature.KeyId.data(), signature.KeyId.size());
    signature.UntrustedComment = "signature from the benchmark";
    signature.TrustedComment = "timestamp:0\tfile:bench.mpk";
    const TPrehash hash = PrehashOf(reinterpret_cast<const uint8_t *>(data.data()), data.size());
    if (prehashed)
        crypto_sign_detached(signature.FileSignature.data(), nullptr, hash.data(), hash.size(), secretKey);
    else
        crypto_sign_detached(signature.FileSignature.data(), nullptr, reinterpret_cast<const uint8_t *>(data.data()),
                             data.size(), secretKey);
    const std::string global = GlobalSignedBytes(signature);
    crypto_sign_detached(signature.GlobalSignature.data(), nullptr, reinterpret_cast<const uint8_t *>(global.data()),
                         global.size(), secretKey);
    WriteFile(signaturePath, SignatureFileText(signature));
    uint8_t keyLine[42] = {'E', 'd'};
    std::copy(signature.KeyId.begin(), signature.KeyId.end(), keyLine + 2);
    std::copy(publicKey, publicKey + sizeof publicKey, keyLine + 10);
    publicKeyText = EncodeBase64(keyLine, sizeof keyLine);
}

} // namespace

int main(int argc, char **argv)
{
    const int checks = argc > 1 ? std::atoi(argv[1]) : 500;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    if (!SodiumReady() || checks <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: bench_signature [checks per run] [runs]\n");
        return 2;
    }
    const fs::path folder = fs::temp_directory_path() / ("morlith-bench-signature-" + std::to_string(randombytes_random()));
    fs::create_directories(folder);
    const fs::path package = folder / "bench.mpk";
    std::string data(kPackageBytes, '\0');
    randombytes_buf(data.data(), data.size());
    WriteFile(package, data);

    std::printf("signature check of a %zu-byte package, median of %d runs of %d checks\n", kPackageBytes, runs,
                checks);
    for (const bool prehashed : {false, true}) {
        std::string keyText;
        SignNewKey(data, prehashed, Utf8OfPath(package) + ".minisig", keyText);
        TTrustedKeys keys;
        if (keys.AddKeyText(keyText, "the benchmark's key").Failed())
            return 1;
        for (const bool fromDisk : {true, false}) {
            std::vector<double> wall;
            std::vector<double> cpu;
            for (int run = 0; run < runs; ++run) {
                const double wallStart = NowMs();
                const double cpuStart = ProcessCpuMs();
                for (int i = 0; i < checks; ++i) {
                    const TSignatureCheck check =
                        fromDisk ? keys.Check(Utf8OfPath(package))
                                 : keys.CheckBytes(Utf8OfPath(package), reinterpret_cast<const uint8_t *>(data.data()),
                                                   data.size());
                    if (!check.Accepted()) {
                        std::fprintf(stderr, "%s\n", check.Failure.Message().c_str());
                        return 1;
                    }
                }
                wall.push_back((NowMs() - wallStart) * 1000 / checks);
                cpu.push_back((ProcessCpuMs() - cpuStart) * 1000 / checks);
            }
            std::printf("  %-9s %-10s %8.1f us wall, %8.1f us CPU per check\n", prehashed ? "prehashed" : "plain",
                        fromDisk ? "from disk" : "as bytes", Median(wall), Median(cpu));
        }
    }
    fs::remove_all(folder);
    return 0;
}
