// SPDX-License-Identifier: MIT
// POSIX implementation of the file platform layer.

#include "FileHandle.h"

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {
namespace {

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

} // namespace

bool TFileHandle::OpenForReading(const std::string &path)
{
    (void)Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Fail(errno);
    FHandle = fd;
    return true;
}

bool TFileHandle::CreateNew(const std::string &path)
{
    (void)Close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return Fail(errno);
    FHandle = fd;
    return true;
}

bool TFileHandle::OpenForAppending(const std::string &path)
{
    (void)Close();
    const auto open = [&path](int access) {
        int fd;
        while ((fd = ::open(path.c_str(), access | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666)) < 0 &&
               errno == EINTR) {
        }
        return fd;
    };
    int fd = open(O_RDWR);
    // A file that may only be written to is still appended to.
    if (fd < 0 && errno == EACCES)
        fd = open(O_WRONLY);
    if (fd < 0)
        return Fail(errno);
    FHandle = fd;
    return true;
}

bool TFileHandle::IsRegularFile(uint64_t &size)
{
    struct stat info {};
    if (::fstat(Descriptor(FHandle), &info) != 0)
        return Fail(errno);
    size = uint64_t(info.st_size);
    return S_ISREG(info.st_mode);
}

long TFileHandle::Read(void *data, size_t size)
{
    for (;;) {
        const ssize_t n = ::read(Descriptor(FHandle), data, size);
        if (n >= 0)
            return long(n);
        if (errno != EINTR) {
            Fail(errno);
            return -1;
        }
    }
}

bool TFileHandle::WriteAll(const void *data, size_t size)
{
    const char *next = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(Descriptor(FHandle), next, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(n < 0 ? errno : EIO);
        next += n;
        size -= size_t(n);
    }
    return true;
}

bool TFileHandle::Sync()
{
    int result;
    while ((result = ::fsync(Descriptor(FHandle))) != 0 && errno == EINTR) {
    }
    return result == 0 || Fail(errno);
}

bool TFileHandle::TruncateTo(uint64_t size)
{
    int result;
    while ((result = ::ftruncate(Descriptor(FHandle), off_t(size))) != 0 && errno == EINTR) {
    }
    return result == 0 || Fail(errno);
}

bool TFileHandle::LockExclusive()
{
    int result;
    while ((result = ::flock(Descriptor(FHandle), LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result == 0 || Fail(errno);
}

bool TFileHandle::TryLockExclusive()
{
    int result;
    while ((result = ::flock(Descriptor(FHandle), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    return result == 0 || Fail(errno == EWOULDBLOCK ? EWOULDBLOCK : errno);
}

int ThisProcessId() { return int(::getpid()); }

bool ProcessHasEnded(int id) { return id > 0 && ::kill(pid_t(id), 0) != 0 && errno == ESRCH; }

void TFileHandle::Unlock() { (void)::flock(Descriptor(FHandle), LOCK_UN); }

long TFileHandle::ReadAt(uint64_t offset, void *data, size_t size)
{
    for (;;) {
        const ssize_t n = ::pread(Descriptor(FHandle), data, size, off_t(offset));
        if (n >= 0)
            return long(n);
        if (errno != EINTR) {
            Fail(errno);
            return -1;
        }
    }
}

int TFileHandle::LastByte()
{
    struct stat info {};
    unsigned char last = 0;
    if (::fstat(Descriptor(FHandle), &info) != 0 || info.st_size == 0 || ReadAt(uint64_t(info.st_size - 1), &last, 1) != 1)
        return -1;
    return last;
}

bool TFileHandle::TakePermissionsOf(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return true;
    return ::fchmod(Descriptor(FHandle), info.st_mode & 0777) == 0 || Fail(errno);
}

bool TFileHandle::Close()
{
    if (FHandle == kNoHandle)
        return true;
    const int result = ::close(Descriptor(FHandle));
    FHandle = kNoHandle;
    return result == 0 || Fail(errno);
}

bool RenameOver(const std::string &from, const std::string &to, int &error)
{
    error = std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    return error == 0;
}

bool PlaceNewFile(const std::string &from, const std::string &to, int &error)
{
    // A hard link fails when `to` exists, so a file made meanwhile is never replaced.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        error = 0;
        return true;
    }
    error = errno;
    if (error == EEXIST)
        return false;
    // File systems without hard links: check, then rename.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        error = EEXIST;
        return false;
    }
    return RenameOver(from, to, error);
}

int FlushFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return result;
}

int FolderWriteProblem(const std::string &folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

} // namespace morlith
