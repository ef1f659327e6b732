#include "FileHandle.h"

#include "PathText.h"

#include <cerrno>
#include <filesystem>
#include <random>

namespace morlith {

TFileHandle::~TFileHandle() { (void)Close(); }

bool TFileHandle::Fail(int err)
{
    FError = err;
    return false;
}

bool TFileHandle::CreateTemporary(const std::string &folder, const std::string &prefix, std::string &path)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + "/" + prefix;
        for (int i = 0; i < 6; ++i)
            path += kLetters[random() % (sizeof kLetters - 1)];
        if (CreateNew(path) || FError != EEXIST)
            return IsOpen();
    }
    return false;
}

bool RemoveFile(const std::string &path)
{
    std::error_code error;
    return std::filesystem::remove(PathFromUtf8(path), error) || !error;
}

} // namespace morlith
