// SPDX-License-Identifier: MIT
#include "CounterShare.h"

#include <sys/vfs.h>

#include <map>

namespace morlith {

std::string NetworkFileSystemNamed(unsigned long type)
{
    static const std::map<unsigned long, const char *> kNetwork = {
        {0x6969, "NFS"},
        {0x517B, "CIFS/SMB"}, // smbfs
        {0xFF534D42, "CIFS/SMB"}, // cifs
        {0xFE534D42, "CIFS/SMB"}, // smb3
        {0x01021997, "a 9P share"},
        {0x00C36400, "CephFS"},
        {0x73757245, "Coda"},
        {0x5346414F, "AFS"},
        {0x6B414653, "AFS"},
        {0x01161970, "GFS2"},
        {0x7461636F, "OCFS2"},
        {0x0BD00BD0, "Lustre"},
        {0x47504653, "GPFS"},
    };
    const auto found = kNetwork.find(type);
    return found == kNetwork.end() ? "" : found->second;
}

std::string NetworkFileSystemOf(const std::string &path)
{
    struct statfs status {};
    if (::statfs(path.c_str(), &status) != 0) {
        const size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        if (::statfs(folder.c_str(), &status) != 0)
            return "";
    }
    return NetworkFileSystemNamed(static_cast<unsigned long>(status.f_type) & 0xFFFFFFFFul);
}

} // namespace morlith
