#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace varentis {

// Writes one journal file on a thread of its own, so that neither the acquisition nor the
// window ever waits for the disk. Whatever is handed over is written and synced to the disk
// within one flush interval. Every change of the whole file (a new journal, a rewrite) goes
// through a locked temporary file and a rename, so the journal on disk is always whole.
class JournalWriter {
public:
    explicit JournalWriter(std::filesystem::path folder,
                           std::chrono::milliseconds flushInterval = kFlushInterval);
    ~JournalWriter(); // writes what is pending; the file stays
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // A quarter of a second: with the acquisition's tick (0.11 s) a point is on disk well
    // within a second of being taken.
    static constexpr std::chrono::milliseconds kFlushInterval{250};

    // A new journal file for a run started at startSeconds, holding `bytes`; the journal this
    // writer held before is deleted.
    void begin(std::int64_t startSeconds, std::string bytes);
    // Bytes added to the end of the journal.
    void append(std::string_view bytes);
    // The whole journal replaced by `bytes`.
    void rewrite(std::string bytes);
    // The journal deleted.
    void remove();
    // Waits until everything handed over is written and synced.
    void flush();

    const std::filesystem::path& folder() const { return folder_; }
    // The journal file now on disk (after flush()); empty when there is none.
    std::filesystem::path path() const;
    // The last failure (the folder cannot be made, the disk is full), empty when none.
    std::string lastError() const;
    // Told of each failure, on the writer's thread.
    void setErrorHandler(std::function<void(const std::string&)> handler);

private:
    struct Op {
        enum Kind { Begin, Append, Rewrite, Remove } kind;
        std::string bytes;
        std::int64_t startSeconds = 0;
    };
    void submit(Op op);
    void threadMain();
    void carryOut(Op& op, bool& wroteData);
    // The steps of carryOut, one for each kind of change. wroteData: lines were written
    // since the file was last made whole, so it wants a sync.
    void beginJournal(std::int64_t startSeconds, const std::string& bytes);
    // The errno of the last attempt, 0 when `temp` has its journal name `target`.
    int linkJournalName(const std::filesystem::path& temp, std::int64_t startSeconds,
                        std::filesystem::path& target) const;
    void appendLines(const std::string& bytes, bool& wroteData);
    void rewriteJournal(const std::string& bytes, bool& wroteData);
    void removeJournal(bool& wroteData);
    bool createLocked(const std::string& bytes, int& fd, std::filesystem::path& temp);
    void closeFile();
    void fail(const std::string& what, int error);

    const std::filesystem::path folder_;
    const std::chrono::milliseconds interval_;

    mutable std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<Op> ops_;
    bool urgent_ = false;
    bool stopping_ = false;
    std::uint64_t submitted_ = 0, carriedOut_ = 0;
    std::filesystem::path published_; // path_ as the other threads see it
    std::string lastError_;
    std::function<void(const std::string&)> onError_;

    // The writer thread's own.
    int fd_ = -1;
    std::filesystem::path path_;
    unsigned tempSerial_ = 0;

    std::thread thread_; // last: it starts once everything above is built
};

} // namespace varentis
