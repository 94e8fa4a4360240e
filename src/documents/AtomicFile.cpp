#include "documents/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varentis {

namespace {

std::string systemMessage(int error) { return std::strerror(error); }

constexpr const char* kNotARegularFile = "Not a regular file";

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes now, so that a failing close (NFS, full disk) is seen.
    int close() {
        int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

// The file a path names once its symbolic links are followed: saving through a link
// replaces the file it points to and keeps the link. A link to a missing file gives the
// path the new file is created under.
std::optional<std::filesystem::path> followLinks(std::filesystem::path path, int& error) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) {
            error = ec.value();
            return std::nullopt;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    error = ELOOP;
    return std::nullopt;
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::filesystem::path temporaryName(const std::filesystem::path& target) {
    std::filesystem::path temp = target;
    temp += ".tmp" + std::to_string(::getpid());
    return temp;
}

bool processAlive(long pid) {
    if (pid <= 0 || pid > 0x3FFFFFFF) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// A save that was killed half way may have left "<target>.tmp<pid>" behind (only on file
// systems without unnamed temporary files, or in the instant between naming the new file
// and renaming it). The next save of the same file removes those whose process is gone.
void removeStaleTemporaries(const std::filesystem::path& target) {
    const std::string prefix = target.filename().string() + ".tmp";
    DIR* dir = ::opendir(folderOf(target).c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix) || name.size() == prefix.size() ||
            name.size() > prefix.size() + 10)
            continue;
        const std::string_view digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string_view::npos) continue;
        if (processAlive(std::stol(std::string(digits)))) continue;
        const std::filesystem::path stale = folderOf(target) / std::string(name);
        struct stat st {};
        if (::lstat(stale.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(stale.c_str());
    }
    ::closedir(dir);
}

// Gives the unnamed file `fd` the name `temp` in its folder.
int linkUnnamed(int fd, const std::filesystem::path& temp) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno == EEXIST) return EEXIST;
    if (::linkat(fd, "", AT_FDCWD, temp.c_str(), AT_EMPTY_PATH) == 0) return 0;
    return errno;
}

int writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& requested,
                                               std::string_view bytes) {
    int error = 0;
    const std::optional<std::filesystem::path> resolved = followLinks(requested, error);
    if (!resolved) return systemMessage(error);
    const std::filesystem::path& target = *resolved;

    // The target's own protection holds, as it would for a write into the file itself: a
    // read-only file is refused, even where the folder would allow a rename over it.
    mode_t mode = 0666;
    bool exists = false;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return systemMessage(EISDIR);
        if (!S_ISREG(st.st_mode)) return std::string(kNotARegularFile);
        if (::access(target.c_str(), W_OK) != 0) return systemMessage(errno);
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return systemMessage(EACCES);
        mode = st.st_mode & 07777;
        exists = true;
    }

    removeStaleTemporaries(target);
    const std::filesystem::path folder = folderOf(target);
    const std::filesystem::path temp = temporaryName(target);

    // The new contents go into an unnamed file, so a crash while writing leaves nothing
    // behind; it gets a name only when it is complete. Where the file system has no
    // unnamed files, a named temporary file takes its place.
    bool named = false;
    FileDescriptor fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (fd.get() < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
            return systemMessage(errno);
        fd.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
        if (fd.get() < 0) return systemMessage(errno);
        named = true;
    }

    auto fail = [&](int code) {
        if (named) ::unlink(temp.c_str());
        return std::optional<std::string>(systemMessage(code));
    };
    if (exists) ::fchmod(fd.get(), mode); // the permissions of the file it replaces
    if (int code = writeAll(fd.get(), bytes)) return fail(code);
    if (::fsync(fd.get()) != 0) return fail(errno);
    if (!named) {
        int code = linkUnnamed(fd.get(), temp);
        if (code == EEXIST && ::unlink(temp.c_str()) == 0) code = linkUnnamed(fd.get(), temp);
        if (code != 0) return systemMessage(code);
        named = true;
    }
    if (fd.close() != 0) return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
    // The rename itself reaches the disk with the folder.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return std::nullopt;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string& out) {
    out.clear();
    // Without O_NONBLOCK a FIFO would hold the program at the open.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return systemMessage(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return systemMessage(errno);
    if (S_ISDIR(st.st_mode)) return systemMessage(EISDIR);
    // A FIFO, a socket or a device (/dev/zero) has no end to read up to.
    if (!S_ISREG(st.st_mode)) return std::string(kNotARegularFile);
    // Straight into the string, in as few reads as the system allows; then whatever the
    // file gained while it was read.
    out.resize(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)));
    std::size_t got = 0;
    auto failed = [&out](int error) {
        out.clear();
        return std::optional<std::string>(systemMessage(error));
    };
    while (got < out.size()) {
        const ssize_t n = ::read(fd.get(), out.data() + got, out.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return failed(errno);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return failed(errno);
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return std::nullopt;
}

} // namespace varentis
