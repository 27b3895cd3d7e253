#include "ReferenceScanners.h"

#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct alignas(dirent64) Buffer {
    char bytes[64 * 1024];
};

template <typename Visit> void forEach(int fd, Buffer& buffer, Visit&& visit) {
    for (;;) {
        const ssize_t n = ::getdents64(fd, buffer.bytes, sizeof buffer.bytes);
        if (n <= 0)
            return;
        for (ssize_t pos = 0; pos < n;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer.bytes + pos);
            pos += d->d_reclen;
            const char* name = d->d_name;
            if (!(name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))))
                visit(name);
        }
    }
}

std::int64_t folderSize(int parent, const char* name, Buffer& buffer) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return 0;
    std::int64_t sum = 0;
    struct stat st {};
    forEach(fd, buffer, [&](const char* entry) {
        if (::fstatat(fd, entry, &st, AT_SYMLINK_NOFOLLOW) == 0)
            sum += st.st_size;
    });
    ::close(fd);
    return sum;
}

struct TopLevel {
    int fd = -1;
    std::int64_t fileBytes = 0;
    std::vector<std::string> folders;
};

TopLevel listTopLevel(const char* desktop, Buffer& buffer) {
    TopLevel top;
    top.fd = ::open(desktop, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top.fd < 0)
        return top;
    struct stat st {};
    forEach(top.fd, buffer, [&](const char* name) {
        if (name[0] == '.' || ::fstatat(top.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        if (S_ISDIR(st.st_mode))
            top.folders.emplace_back(name);
        else
            top.fileBytes += st.st_size;
    });
    return top;
}

std::int64_t sizeFolders(const TopLevel& top, std::atomic<std::size_t>& next, Buffer& buffer) {
    std::int64_t sum = 0;
    for (std::size_t i = next++; i < top.folders.size(); i = next++)
        sum += folderSize(top.fd, top.folders[i].c_str(), buffer);
    return sum;
}

std::int64_t scan(const char* desktop, bool twoThreads) {
    auto buffer = std::make_unique<Buffer>();
    TopLevel top = listTopLevel(desktop, *buffer);
    if (top.fd < 0)
        return -1;
    std::atomic<std::size_t> next{0};
    std::int64_t helperSum = 0;
    std::thread helper;
    if (twoThreads)
        helper = std::thread([&] {
            auto own = std::make_unique<Buffer>();
            helperSum = sizeFolders(top, next, *own);
        });
    std::int64_t total = top.fileBytes + sizeFolders(top, next, *buffer);
    if (helper.joinable())
        helper.join();
    ::close(top.fd);
    return total + helperSum;
}

} // namespace

std::int64_t referenceScanOneThread(const char* desktop) {
    return scan(desktop, false);
}

std::int64_t referenceScanTwoThreads(const char* desktop) {
    return scan(desktop, true);
}
