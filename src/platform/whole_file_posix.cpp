// The whole-file writer on POSIX systems (a new file beside the target, fsync, rename).
#include "platform/whole_file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace frostel::platform {

namespace fs = std::filesystem;

namespace {

// Names tried for the new file before the write gives up.
constexpr int kTemporaryNameAttempts = 100;

bool write_all(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A new file beside `target`, named in `name`; -1 when none can be made. Created with the
// permissions any new file gets (0666 less the umask), which the old file's replace.
int create_beside(const fs::path& target, std::string& name) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = temporary_name_beside(target, static_cast<unsigned>(::getpid()), attempt).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The old file's permission bits, owner and group go to the new one; an owner the user may
// not give away is left as it is, the group alone is then tried.
bool take_over(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Makes the rename itself durable; a folder that cannot be synced is no failure.
void sync_folder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

// A file the user may not write is not replaced, as a plain write would decide: by the
// process's effective user and groups (root may, unless the file system is read-only).
bool may_replace(const fs::path& target) {
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
}

}  // namespace

bool replace_whole_file(const fs::path& target, std::string_view content) {
    if (!may_replace(target)) {
        return false;
    }
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    std::string temporary;
    const int fd = create_beside(target, temporary);
    if (fd < 0) {
        return false;
    }
    const bool written =
        (!replacing || take_over(fd, existing)) && write_all(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(temporary.c_str(), target.c_str()) == 0) {
        sync_folder(target.parent_path());
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace frostel::platform
