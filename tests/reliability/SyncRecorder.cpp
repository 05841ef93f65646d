// Loaded into a writer with LD_PRELOAD: records every fsync and rename the process makes, in
// order, with the paths behind the descriptors, into the file named by NOTAVO_SYNC_LOG. The
// test reads the record to see that the real system calls happen, in the right order.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string pathOf(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t size = ::readlink(link, target, sizeof target - 1);
    return size > 0 ? std::string(target, size_t(size)) : std::string("?");
}

void record(const std::string &line)
{
    const char *log = std::getenv("NOTAVO_SYNC_LOG");
    if (!log)
        return;
    const int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::string text = line + '\n';
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

template<typename Function> Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int fd)
{
    record("fsync " + pathOf(fd));
    return real<int (*)(int)>("fsync")(fd);
}

extern "C" int renameat(int oldFolder, const char *oldName, int newFolder, const char *newName)
{
    const int result = real<int (*)(int, const char *, int, const char *)>("renameat")(
        oldFolder, oldName, newFolder, newName);
    if (result == 0)
        record("rename " + pathOf(oldFolder) + '/' + oldName + ' ' + pathOf(newFolder) + '/'
               + newName);
    return result;
}
