#pragma once

#include "documents/DataFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace varentis {

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

} // namespace varentis
