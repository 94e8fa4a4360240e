#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varentis {

// Writes `bytes` to a temporary file beside `target`, flushes it to the disk and renames it
// over the target. On any failure the temporary file is removed, the target keeps its
// previous contents byte for byte, and the system's message is returned.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& target,
                                               std::string_view bytes);

// Reads a whole file into `out`; on failure returns the system's message and leaves `out`
// empty.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string& out);

} // namespace varentis
