#include "documents/RunJournal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace varentis {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "run-";
constexpr std::string_view kSuffix = ".vrd";
constexpr std::string_view kTempPrefix = ".run-";
constexpr std::string_view kTempSuffix = ".tmp";

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

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

// A rename or a new name is on the disk only once its folder is.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The lock taken is still on the file the name shows: a writer that renamed a new journal
// over it, or deleted it, between our open and our lock has let go of the old one only.
bool stillAtPath(int fd, const fs::path& path) {
    struct stat byFd {}, byPath {};
    if (::fstat(fd, &byFd) != 0 || ::stat(path.c_str(), &byPath) != 0) return false;
    return byFd.st_nlink > 0 && byFd.st_ino == byPath.st_ino && byFd.st_dev == byPath.st_dev;
}

bool readDigits(std::string_view& s, std::size_t count, int& value) {
    if (s.size() < count) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    s.remove_prefix(count);
    return true;
}

bool eat(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

} // namespace

fs::path journalFolder(const char* xdgStateHome, const char* home) {
    // A relative XDG_STATE_HOME is invalid and to be ignored.
    if (xdgStateHome && xdgStateHome[0] == '/') return fs::path(xdgStateHome) / "Varentis";
    if (home && home[0] != '\0') return fs::path(home) / ".local" / "state" / "Varentis";
    return {};
}

std::string journalFileName(std::int64_t startSeconds, long pid, int serial) {
    const std::time_t t = static_cast<std::time_t>(startSeconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02dT%02d%02d%02dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    std::string name = std::string(kPrefix) + stamp + "-" + std::to_string(pid);
    if (serial > 0) name += "-" + std::to_string(serial);
    return name + std::string(kSuffix);
}

std::optional<std::int64_t> journalStartSeconds(std::string_view name) {
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    name.remove_suffix(kSuffix.size());
    std::tm utc{};
    int year = 0, month = 0, day = 0;
    if (!readDigits(name, 4, year) || !readDigits(name, 2, month) || !readDigits(name, 2, day) ||
        !eat(name, 'T') || !readDigits(name, 2, utc.tm_hour) ||
        !readDigits(name, 2, utc.tm_min) || !readDigits(name, 2, utc.tm_sec) ||
        !eat(name, 'Z') || !eat(name, '-') || name.empty())
        return std::nullopt;
    for (char c : name)
        if ((c < '0' || c > '9') && c != '-') return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || utc.tm_hour > 23 || utc.tm_min > 59 ||
        utc.tm_sec > 60)
        return std::nullopt;
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    return static_cast<std::int64_t>(timegm(&utc));
}

std::string_view wholeLines(std::string_view bytes) {
    const std::size_t end = bytes.rfind("\r\n");
    return end == std::string_view::npos ? std::string_view{} : bytes.substr(0, end + 2);
}

// ---- OrphanJournal ---------------------------------------------------------------------

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
        const bool temp = name.starts_with(kTempPrefix) && name.ends_with(kTempSuffix);
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

// ---- JournalWriter ---------------------------------------------------------------------

JournalWriter::JournalWriter(fs::path folder, std::chrono::milliseconds flushInterval)
    : folder_(std::move(folder)), interval_(flushInterval),
      thread_([this] { threadMain(); }) {}

JournalWriter::~JournalWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    closeFile();
}

void JournalWriter::setErrorHandler(std::function<void(const std::string&)> handler) {
    std::lock_guard lock(mutex_);
    onError_ = std::move(handler);
}

void JournalWriter::submit(Op op) {
    {
        std::lock_guard lock(mutex_);
        if (op.kind == Op::Append && !ops_.empty() && ops_.back().kind == Op::Append) {
            ops_.back().bytes += op.bytes; // one write for all lines of an interval
        } else {
            // Whole-file changes are carried out at once; lines wait for the interval.
            if (op.kind != Op::Append) urgent_ = true;
            ops_.push_back(std::move(op));
        }
        ++submitted_;
    }
    wake_.notify_all();
}

void JournalWriter::begin(std::int64_t startSeconds, std::string bytes) {
    submit(Op{Op::Begin, std::move(bytes), startSeconds});
}

void JournalWriter::append(std::string_view bytes) {
    if (!bytes.empty()) submit(Op{Op::Append, std::string(bytes)});
}

void JournalWriter::rewrite(std::string bytes) { submit(Op{Op::Rewrite, std::move(bytes)}); }

void JournalWriter::remove() { submit(Op{Op::Remove, {}}); }

void JournalWriter::flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = submitted_;
    urgent_ = true;
    wake_.notify_all();
    done_.wait(lock, [&] { return carriedOut_ >= target; });
}

fs::path JournalWriter::path() const {
    std::lock_guard lock(mutex_);
    return published_;
}

std::string JournalWriter::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void JournalWriter::fail(const std::string& what, int error) {
    std::function<void(const std::string&)> handler;
    std::string message = what + ": " + std::strerror(error);
    {
        std::lock_guard lock(mutex_);
        lastError_ = message;
        handler = onError_;
    }
    if (handler) handler(message);
}

void JournalWriter::threadMain() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || !ops_.empty(); });
        // Lines gather for one interval, so a point costs one write per interval, not one
        // each; a whole-file change, a flush or the end does not wait.
        wake_.wait_for(lock, interval_, [&] { return stopping_ || urgent_; });
        std::deque<Op> ops;
        ops.swap(ops_);
        urgent_ = false;
        const std::uint64_t taken = submitted_;
        lock.unlock();

        bool wroteData = false;
        for (Op& op : ops) carryOut(op, wroteData);
        if (wroteData && fd_ >= 0 && ::fdatasync(fd_) != 0) fail("run journal " + path_.string(), errno);

        lock.lock();
        carriedOut_ = taken;
        published_ = fd_ >= 0 ? path_ : fs::path{};
        done_.notify_all();
        if (stopping_ && ops_.empty()) return;
    }
}

void JournalWriter::closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
}

bool JournalWriter::createLocked(const std::string& bytes, int& fd, fs::path& temp) {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder_ / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-" +
                          std::to_string(tempSerial_++) + std::string(kTempSuffix));
        fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) break;
    }
    if (fd < 0) {
        fail("run journal in " + folder_.string(), errno);
        return false;
    }
    // Locked before it has its journal name: nobody ever sees this journal unheld.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !writeAll(fd, bytes) || ::fdatasync(fd) != 0) {
        fail("run journal " + temp.string(), errno);
        ::close(fd);
        fd = -1;
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void JournalWriter::carryOut(Op& op, bool& wroteData) {
    switch (op.kind) {
    case Op::Begin: {
        if (fd_ >= 0) {
            ::unlink(path_.c_str());
            closeFile();
        }
        int fd = -1;
        fs::path temp;
        if (!createLocked(op.bytes, fd, temp)) return;
        // A name of its own: link() never replaces a file, not even one of a program that
        // had this process id before.
        fs::path target;
        int error = 0;
        for (int serial = 0; serial < 1000; ++serial) {
            target = folder_ / journalFileName(op.startSeconds, static_cast<long>(::getpid()),
                                               serial);
            if (::link(temp.c_str(), target.c_str()) == 0) {
                error = 0;
                break;
            }
            error = errno;
            if (error != EEXIST) break;
        }
        ::unlink(temp.c_str());
        if (error != 0) {
            fail("run journal " + target.string(), error);
            ::close(fd);
            return;
        }
        syncFolder(folder_);
        fd_ = fd;
        path_ = target;
        return;
    }
    case Op::Append:
        if (fd_ < 0) return; // the journal could not be made; the failure was told
        if (!writeAll(fd_, op.bytes)) fail("run journal " + path_.string(), errno);
        wroteData = true;
        return;
    case Op::Rewrite: {
        if (fd_ < 0) return;
        int fd = -1;
        fs::path temp;
        if (!createLocked(op.bytes, fd, temp)) return;
        if (::rename(temp.c_str(), path_.c_str()) != 0) {
            fail("run journal " + path_.string(), errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return;
        }
        syncFolder(folder_);
        // The old file's lock goes only now, when the name is the new file's.
        ::close(fd_);
        fd_ = fd;
        wroteData = false;
        return;
    }
    case Op::Remove:
        if (fd_ < 0) return;
        // Deleted before it is let go: no other program can take it for an orphan.
        ::unlink(path_.c_str());
        syncFolder(folder_);
        closeFile();
        wroteData = false;
        return;
    }
}

// ---- RunJournal ------------------------------------------------------------------------

RunJournal::RunJournal(fs::path folder, std::chrono::milliseconds flushInterval)
    : writer_(std::move(folder), flushInterval) {}

void RunJournal::beginWhole(const ControlAccess& controls, const PointStore& points,
                            const DataColumns& columns) {
    head_ = dataFileHead(controls);
    format_ = dataLineFormat(controls, columns);
    journaled_ = static_cast<std::size_t>(std::max(points.Count, 0));
    std::string bytes = head_;
    appendDataLines(bytes, points, 0, journaled_, format_);
    writer_.begin(startSeconds_, std::move(bytes));
    open_ = true;
}

void RunJournal::runStarted(std::int64_t startSeconds, const ControlAccess& controls,
                            const PointStore& points, const DataColumns& columns) {
    startSeconds_ = startSeconds;
    beginWhole(controls, points, columns);
}

void RunJournal::pointsStored(const ControlAccess& controls, const PointStore& points,
                              const DataColumns& columns) {
    const auto count = static_cast<std::size_t>(std::max(points.Count, 0));
    if (count < journaled_) {
        // The store was emptied under a running measurement (New): what it holds now is the
        // run to keep.
        journaled_ = 0;
        if (open_) {
            writer_.rewrite(head_);
        }
    }
    if (count == journaled_) return;
    if (!open_) {
        beginWhole(controls, points, columns);
        return;
    }
    std::string lines;
    appendDataLines(lines, points, journaled_, count, format_);
    journaled_ = count;
    writer_.append(lines);
}

bool RunJournal::checkSettings(const ControlAccess& controls, const PointStore& points,
                               const DataColumns& columns) {
    if (!open_) return false;
    std::string head = dataFileHead(controls);
    const DataLineFormat format = dataLineFormat(controls, columns);
    if (head == head_ && format == format_) return false;
    head_ = std::move(head);
    format_ = format;
    journaled_ = static_cast<std::size_t>(std::max(points.Count, 0));
    std::string bytes = head_;
    appendDataLines(bytes, points, 0, journaled_, format_);
    writer_.rewrite(std::move(bytes));
    return true;
}

void RunJournal::discard(const PointStore& points) {
    journaled_ = static_cast<std::size_t>(std::max(points.Count, 0));
    if (!open_) return;
    writer_.remove();
    open_ = false;
}

void RunJournal::adopt(std::int64_t startSeconds, const ControlAccess& controls,
                       const PointStore& points, const DataColumns& columns) {
    startSeconds_ = startSeconds;
    beginWhole(controls, points, columns);
}

} // namespace varentis
