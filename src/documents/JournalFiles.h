#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varentis {

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

// The temporary file a journal is written to before it takes its name, and whether a file
// name is one (a write that never reached its rename leaves it behind).
std::string journalTempFileName(long pid, unsigned serial);
bool isJournalTempFileName(std::string_view fileName);

// A rename or a new name is on the disk only once its folder is.
void syncFolder(const std::filesystem::path& folder);

} // namespace varentis
