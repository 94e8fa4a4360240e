#include "documents/JournalWriter.h"

#include "documents/JournalFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

namespace varentis {

namespace fs = std::filesystem;

namespace {

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

} // namespace

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
        temp = folder_ / journalTempFileName(static_cast<long>(::getpid()), tempSerial_++);
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
    case Op::Begin: beginJournal(op.startSeconds, op.bytes); return;
    case Op::Append: appendLines(op.bytes, wroteData); return;
    case Op::Rewrite: rewriteJournal(op.bytes, wroteData); return;
    case Op::Remove: removeJournal(wroteData); return;
    }
}

void JournalWriter::beginJournal(std::int64_t startSeconds, const std::string& bytes) {
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
        closeFile();
    }
    int fd = -1;
    fs::path temp;
    if (!createLocked(bytes, fd, temp)) return;
    fs::path target;
    const int error = linkJournalName(temp, startSeconds, target);
    ::unlink(temp.c_str());
    if (error != 0) {
        fail("run journal " + target.string(), error);
        ::close(fd);
        return;
    }
    syncFolder(folder_);
    fd_ = fd;
    path_ = target;
}

int JournalWriter::linkJournalName(const fs::path& temp, std::int64_t startSeconds,
                                   fs::path& target) const {
    // A name of its own: link() never replaces a file, not even one of a program that had
    // this process id before.
    int error = 0;
    for (int serial = 0; serial < 1000; ++serial) {
        target = folder_ / journalFileName(startSeconds, static_cast<long>(::getpid()), serial);
        if (::link(temp.c_str(), target.c_str()) == 0) return 0;
        error = errno;
        if (error != EEXIST) break;
    }
    return error;
}

void JournalWriter::appendLines(const std::string& bytes, bool& wroteData) {
    if (fd_ < 0) return; // the journal could not be made; the failure was told
    if (!writeAll(fd_, bytes)) fail("run journal " + path_.string(), errno);
    wroteData = true;
}

void JournalWriter::rewriteJournal(const std::string& bytes, bool& wroteData) {
    if (fd_ < 0) return;
    int fd = -1;
    fs::path temp;
    if (!createLocked(bytes, fd, temp)) return;
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
}

void JournalWriter::removeJournal(bool& wroteData) {
    if (fd_ < 0) return;
    // Deleted before it is let go: no other program can take it for an orphan.
    ::unlink(path_.c_str());
    syncFolder(folder_);
    closeFile();
    wroteData = false;
}

} // namespace varentis
