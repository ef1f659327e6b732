#include "StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace morlith {

bool OpenMissingStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lowest free number is the one just found missing, since those below it are open.
        const int opened = open("/dev/null", O_RDWR);
        if (opened < 0)
            return false;
        if (opened != fd) {
            close(opened);
            return false;
        }
    }
    return true;
}

} // namespace morlith
