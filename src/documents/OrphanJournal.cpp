#include "documents/OrphanJournal.h"

#include "documents/JournalFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace varentis {

namespace fs = std::filesystem;

namespace {

bool readAll(int fd, std::string& out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

// The lock taken is still on the file the name shows: a writer that renamed a new journal
// over it, or deleted it, between our open and our lock has let go of the old one only.
bool stillAtPath(int fd, const fs::path& path) {
    struct stat byFd {}, byPath {};
    if (::fstat(fd, &byFd) != 0 || ::stat(path.c_str(), &byPath) != 0) return false;
    return byFd.st_nlink > 0 && byFd.st_ino == byPath.st_ino && byFd.st_dev == byPath.st_dev;
}

} // namespace

OrphanJournal::OrphanJournal(fs::path path, int lockedFd, std::int64_t startSeconds,
                             std::string bytes)
    : path_(std::move(path)), fd_(lockedFd), startSeconds_(startSeconds),
      bytes_(std::move(bytes)) {}

OrphanJournal::OrphanJournal(OrphanJournal&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)),
      startSeconds_(other.startSeconds_), bytes_(std::move(other.bytes_)) {}

OrphanJournal& OrphanJournal::operator=(OrphanJournal&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        startSeconds_ = other.startSeconds_;
        bytes_ = std::move(other.bytes_);
    }
    return *this;
}

OrphanJournal::~OrphanJournal() { release(); }

void OrphanJournal::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void OrphanJournal::discard() {
    // Deleted while still locked, so nobody else can take it in between.
    std::error_code ec;
    fs::remove(path_, ec);
    syncFolder(path_.parent_path());
    release();
}

std::vector<OrphanJournal> findOrphanJournals(const fs::path& folder) {
    std::vector<OrphanJournal> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = it->path().filename().string();
        const bool temp = isJournalTempFileName(name);
        const auto start = journalStartSeconds(name);
        if (!temp && !start) continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        struct stat st {};
        // Held by a running program, or not a plain file.
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
            !stillAtPath(fd, it->path())) {
            ::close(fd);
            continue;
        }
        std::string bytes;
        if (temp) {
            // A journal write that never reached its rename: the journal it was to replace
            // (or the saved run it was to begin from) holds the points. A writer locks its
            // file a moment after making it; one that old is no writer's.
            const auto age = std::chrono::system_clock::now() -
                             std::chrono::system_clock::from_time_t(st.st_mtime);
            if (age > std::chrono::minutes(1)) fs::remove(it->path(), ec);
            ::close(fd);
            continue;
        }
        if (!readAll(fd, bytes)) {
            ::close(fd);
            continue;
        }
        OrphanJournal orphan(it->path(), fd, *start, std::string(wholeLines(bytes)));
        if (orphan.pointCount() == 0) {
            orphan.discard(); // killed before its first point: nothing was measured
            continue;
        }
        found.push_back(std::move(orphan));
    }
    std::sort(found.begin(), found.end(), [](const OrphanJournal& a, const OrphanJournal& b) {
        return a.startSeconds() != b.startSeconds() ? a.startSeconds() < b.startSeconds()
                                                    : a.path() < b.path();
    });
    return found;
}

} // namespace varentis
