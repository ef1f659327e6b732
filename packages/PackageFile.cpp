// SPDX-License-Identifier: MIT
#include "PackageFile.h"

#include "DataFiles.h"
#include "PackageCheck.h"
#include "PathText.h"

#include <filesystem>
#include <system_error>

namespace morlith {
namespace {

bool SameFile(const std::string &a, const std::string &b)
{
    std::error_code error;
    return std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), error) && !error;
}

} // namespace

std::string CheckOutputFrom(const std::string &in, const std::string &out, const std::string &option,
                               bool replace)
{
    if (SameFile(in, out))
        return out + ": is " + in + " itself; give another " + option;
    return CheckNewFile(out, replace);
}

std::string SaveCheckedPackage(const TPackageBytes &package, const std::string &path, const std::string &label,
                               size_t pieceBytes, TExistingFile existing, size_t &pieces)
{
    std::string why;
    if (!SavePackageFile(path, package.Header, package.KeyedImage, pieceBytes, &why, existing))
        return label + ": cannot write the package: " + why;
    const TPackageReport report = InspectPackage(path);
    if (!report.Accepted())
        return label + ": the package written does not check: " + (report.Loaded() ? report.Refusal : report.Problem);
    pieces = report.Pieces;
    return "";
}

} // namespace morlith
