// SPDX-License-Identifier: MIT
#include "OperationInput.h"

#include "DataFile.h"
#include "DocumentFile.h"
#include "MorlithFileConverter.h"
#include "NumberText.h"
#include "PackageAcceptance.h"
#include "PathText.h"
#include "Sha256.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace morlith {

TFailure ReadOperationInput(TOperationKind Kind, const std::string &Path, const std::string &Label,
                            TOperationInput &Input)
{
    Input = TOperationInput{};
    Input.Path = Path;
    Input.Label = Label.empty() ? Path : Label;
    const bool package = Kind == TOperationKind::okWriteApplication;
    const TFailure failure = ReadInputFile(Path, package ? kMaxDocumentBytes : kMaxDataSegmentBytes,
                                           package ? "package" : "data file", Input.Bytes);
    if (failure.Kind == TFailureKind::fkRefusedInput && !package) {
        TFailure refused = MakeFailure(TFailureKind::fkRefusedInput,
                                       Input.Label + " is more than a data segment can hold (" +
                                           GroupThousands(kMaxDataSegmentBytes) + " bytes)");
        refused.Path = Path;
        return refused.During("checking the data file");
    }
    if (failure.Failed())
        return TFailure(failure).During(package ? "loading the package" : "reading the data file");
    return AcceptOperationInput(Kind, Input);
}

TFailure AcceptOperationInput(TOperationKind Kind, TOperationInput &Input)
{
    Input.Sha256 = Sha256Hex(Input.Bytes.data(), Input.Bytes.size());
    Input.Header.clear();
    if (Kind == TOperationKind::okWriteDataSegment && Input.Bytes.empty()) {
        // An empty file would start a write that writes nothing.
        TFailure refused = MakeFailure(TFailureKind::fkRefusedInput,
                                       Input.Label + " is empty; there is nothing to write");
        refused.Path = Input.Path;
        return refused.During("checking the data file");
    }
    if (Kind != TOperationKind::okWriteApplication)
        return TFailure{};
    TMorlithFileConverter converter;
    TFailure failure = LoadPackageText(converter, std::string(Input.Bytes.begin(), Input.Bytes.end()), Input.Label);
    if (!failure.Failed()) {
        Input.Header = converter.Header();
        failure = PackageRefusal(converter.Header(), converter.Image());
    }
    // The record of a refused package names the file refused.
    if (failure.Failed())
        failure.Path = Input.Path;
    return failure;
}

TFailure CheckExpectedSha256(const TOperationInput &Input, const std::string &Expected)
{
    std::string expected = Expected;
    std::transform(expected.begin(), expected.end(), expected.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (expected.empty() || expected == Input.Sha256)
        return TFailure{};
    TFailure refused = MakeFailure(TFailureKind::fkRefusedInput, Input.Label + " has SHA-256 " + Input.Sha256 +
                                                                     ", not the " + expected + " expected");
    refused.Path = Input.Path;
    return refused.During("checking the input");
}

TFailure AddTrustedKeyFiles(const std::vector<std::string> &Files, TTrustedKeys &Keys)
{
    for (const std::string &file : Files) {
        const TFailure failure = Keys.AddKeyFile(file);
        if (failure.Failed())
            return failure;
    }
    return TFailure{};
}

TFailure CheckInputSignature(const TTrustedKeys &Keys, TOperationInput &Input)
{
    Input.SignerKeyId.clear();
    Input.TrustedComment.clear();
    if (Keys.Empty())
        return TFailure{};
    if (Input.Path.empty()) {
        TFailure refused = MakeFailure(TFailureKind::fkRefusedInput,
                                       Input.Label + " carries no signature; with trusted keys give a signed file");
        return refused.During("checking the signature of " + Input.Label);
    }
    const TSignatureCheck check = Keys.CheckBytes(Input.Path, Input.Bytes.data(), Input.Bytes.size());
    if (!check.Accepted())
        return check.Failure;
    Input.SignerKeyId = check.KeyId;
    Input.TrustedComment = check.TrustedComment;
    return TFailure{};
}

TPackageFingerprint PackageFingerprint(const TOperationInput &Input)
{
    TPackageFingerprint package;
    static_cast<TFileFingerprint &>(package) = FileFingerprint(Input);
    package.HasHeader = Input.Header.size() == kHeaderBytes;
    const std::array<uint16_t, 4> words = HeaderWords(Input.Header);
    package.ImageLength = words[0];
    package.ImageCrc = words[1];
    return package;
}

TFileFingerprint FileFingerprint(const TOperationInput &Input)
{
    return TFileFingerprint{Input.Label, Input.Sha256, Input.SignerKeyId, Input.TrustedComment};
}

bool SameFile(const std::string &a, const std::string &b)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(PathFromUtf8(a), PathFromUtf8(b), error))
        return true;
    const auto resolved = [](const std::string &path) {
        std::error_code ignored;
        return fs::weakly_canonical(fs::absolute(PathFromUtf8(path), ignored), ignored);
    };
    const fs::path first = resolved(a);
    return !first.empty() && first == resolved(b);
}

} // namespace morlith
