#include "documents/RunJournal.h"

#include <algorithm>
#include <utility>

namespace varentis {

namespace fs = std::filesystem;

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
