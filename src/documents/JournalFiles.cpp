#include "documents/JournalFiles.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace varentis {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "run-";
constexpr std::string_view kSuffix = ".vrd";
constexpr std::string_view kTempPrefix = ".run-";
constexpr std::string_view kTempSuffix = ".tmp";

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

std::string journalTempFileName(long pid, unsigned serial) {
    return std::string(kTempPrefix) + std::to_string(pid) + "-" + std::to_string(serial) +
           std::string(kTempSuffix);
}

bool isJournalTempFileName(std::string_view name) {
    return name.starts_with(kTempPrefix) && name.ends_with(kTempSuffix);
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace varentis
