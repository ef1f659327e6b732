// SPDX-License-Identifier: MIT
// A preloaded library (LD_PRELOAD) that stands for a name service that never answers: looking up
// a host name that ends in ".silent" blocks its thread for 10 s, as the system's resolver does
// with a name server that never answers, and then fails. Every other name goes to the system's
// own getaddrinfo.

#include <cstring>
#include <dlfcn.h>
#include <netdb.h>
#include <ctime>
#include <string>

extern "C" int getaddrinfo(const char *node, const char *service, const struct addrinfo *hints,
                           struct addrinfo **result)
{
    static const std::string suffix = ".silent";
    const std::string name = node != nullptr ? node : "";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        // Signals do not cut the wait short: a real resolver waits on regardless.
        timespec left{10, 0};
        while (nanosleep(&left, &left) != 0) {
        }
        return EAI_AGAIN;
    }
    using Real = int (*)(const char *, const char *, const struct addrinfo *, struct addrinfo **);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
    return real(node, service, hints, result);
}
