#pragma once

#include "documents/ControlAccess.h"
#include "documents/DataFile.h"
#include "documents/JournalWriter.h"
#include "measurement/PointStore.h"

#include <chrono>
#include <cstdint>
#include <cstddef>
#include <filesystem>
#include <string>

namespace varentis {

// The run journal keeps the points of a run on disk as they are taken, so that a crash, a
// kill or a power cut loses at most the last moment of a measurement. A journal is a data
// file, byte for byte what Save would write for the points it holds, so the program reads it
// back with the data file reader.
//
// The files themselves: JournalFiles.h (names and folder), JournalWriter (the disk work),
// OrphanJournal (the journals a program left behind).

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
