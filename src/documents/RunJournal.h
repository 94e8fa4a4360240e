#pragma once

#include "documents/ControlAccess.h"
#include "documents/DataFile.h"
#include "measurement/PointStore.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace varentis {

// The run journal keeps the points of a run on disk as they are taken, so that a crash, a
// kill or a power cut loses at most the last moment of a measurement. A journal is a data
// file, byte for byte what Save would write for the points it holds, so the program reads it
// back with the data file reader.
//
// Each running program has at most one journal, in the user's state folder, named after the
// start of its run (UTC) and the program's process id: "run-20240611T143012Z-4711.vrd". The
// program holds an exclusive lock (flock) on it for as long as it writes it, so a journal
// that nobody holds was left by a program that did not close.

// $XDG_STATE_HOME/Varentis, or ~/.local/state/Varentis when XDG_STATE_HOME is unset or not
// an absolute path. Empty when neither gives a folder.
std::filesystem::path journalFolder(const char* xdgStateHome, const char* home);

std::string journalFileName(std::int64_t startSeconds, long pid, int serial);
// The start of the run (seconds since 1970, UTC) from a journal's file name; nullopt for a
// name that is not a journal's.
std::optional<std::int64_t> journalStartSeconds(std::string_view fileName);

// What a kill or a power cut cannot have torn: the bytes up to the end of the last whole
// line (CR LF). A last line without its line end is dropped, nothing else.
std::string_view wholeLines(std::string_view bytes);

// A journal that no running program holds, found at start-up. It stays locked while this
// object lives, so a second program starting at the same moment does not offer it too.
class OrphanJournal {
public:
    OrphanJournal(std::filesystem::path path, int lockedFd, std::int64_t startSeconds,
                  std::string bytes);
    OrphanJournal(OrphanJournal&& other) noexcept;
    OrphanJournal& operator=(OrphanJournal&& other) noexcept;
    OrphanJournal(const OrphanJournal&) = delete;
    OrphanJournal& operator=(const OrphanJournal&) = delete;
    ~OrphanJournal(); // lets the file go, kept for a later start

    const std::filesystem::path& path() const { return path_; }
    std::int64_t startSeconds() const { return startSeconds_; }
    // Its whole lines: a data file holding the settings and the points.
    const std::string& bytes() const { return bytes_; }
    std::size_t pointCount() const { return dataLineCount(bytes_); }
    // Deletes the file (the operator asked for it, or it was recovered).
    void discard();

private:
    void release();
    std::filesystem::path path_;
    int fd_ = -1;
    std::int64_t startSeconds_ = 0;
    std::string bytes_;
};

// The journals in `folder` that no running program holds, oldest run first. Journals without
// a single point (a run killed before its first point) hold nothing to recover and are
// deleted, and so are the temporary files of a journal write that never finished.
std::vector<OrphanJournal> findOrphanJournals(const std::filesystem::path& folder);

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

// The journal of the run in the window: it follows the point store and the settings, so that
// the journal on disk is always a data file of a prefix of the run, as Save would write it
// now.
class RunJournal {
public:
    explicit RunJournal(std::filesystem::path folder,
                        std::chrono::milliseconds flushInterval = JournalWriter::kFlushInterval);

    // A run starts (the store is empty): a new journal with the settings and no points.
    void runStarted(std::int64_t startSeconds, const ControlAccess& controls,
                    const PointStore& points, const DataColumns& columns);
    // Points the store took since the last call go to the journal. After a Save, the first
    // new point begins a journal of the whole run again.
    void pointsStored(const ControlAccess& controls, const PointStore& points,
                      const DataColumns& columns);
    // The settings may have changed: when the head or the line format is no longer what Save
    // would write, the journal is written anew. True when it was.
    bool checkSettings(const ControlAccess& controls, const PointStore& points,
                       const DataColumns& columns);
    // The points are saved, or dropped on purpose: the journal goes. Points the store holds
    // now count as done.
    void discard(const PointStore& points);
    // A recovered run becomes this program's: a journal of the whole store, under the start
    // of the recovered run.
    void adopt(std::int64_t startSeconds, const ControlAccess& controls,
               const PointStore& points, const DataColumns& columns);

    bool isOpen() const { return open_; }
    JournalWriter& writer() { return writer_; }

private:
    void beginWhole(const ControlAccess& controls, const PointStore& points,
                    const DataColumns& columns);

    JournalWriter writer_;
    bool open_ = false;
    std::int64_t startSeconds_ = 0;
    std::size_t journaled_ = 0; // points of the store that the journal holds (or that are done)
    std::string head_;
    DataLineFormat format_;
};

} // namespace varentis
