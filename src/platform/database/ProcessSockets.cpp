#include "platform/database/ProcessSockets.h"

#include <algorithm>

#ifndef _WIN32
#include <cstdlib>
#include <dirent.h>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifndef _WIN32
namespace {

bool IsSocket(int fd)
{
    struct stat status { };
    return ::fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace
#endif

SocketList OpenSockets()
{
    SocketList sockets;
#ifndef _WIN32
    // Linux lists the open descriptors; elsewhere every possible one is tried.
    if (const std::unique_ptr<DIR, DirCloser> fds(::opendir("/proc/self/fd")); fds) {
        const int listing = ::dirfd(fds.get());
        while (const dirent* entry = ::readdir(fds.get())) {
            char* end = nullptr;
            const long fd = std::strtol(entry->d_name, &end, 10);
            if (end != entry->d_name && *end == '\0' && fd != listing && IsSocket(static_cast<int>(fd)))
                sockets.push_back(static_cast<int>(fd));
        }
    } else {
        const long limit = std::min(::sysconf(_SC_OPEN_MAX), 65536L);
        for (int fd = 0; fd < limit; ++fd) {
            if (IsSocket(fd))
                sockets.push_back(fd);
        }
    }
    std::sort(sockets.begin(), sockets.end());
#endif
    return sockets;
}

void ShutDownSocketsOpenedSince(const SocketList& before)
{
#ifndef _WIN32
    for (const int fd : OpenSockets()) {
        if (!std::binary_search(before.begin(), before.end(), fd))
            ::shutdown(fd, SHUT_RDWR);
    }
#else
    (void)before;
#endif
}
