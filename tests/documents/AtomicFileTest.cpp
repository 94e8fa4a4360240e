#include "documents/AtomicFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace varentis;
namespace fs = std::filesystem;

namespace {
struct TempDir {
    TempDir() {
        path = fs::temp_directory_path() / ("varentis_atomic_" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

std::string contents(const fs::path& p) {
    std::string out;
    EXPECT_FALSE(readWholeFile(p, out));
    return out;
}
} // namespace

TEST(AtomicFile, ReplacesTheFileAndLeavesNoTemporaryBehind) {
    TempDir dir;
    const fs::path target = dir.path / "run.vrd";
    std::string bytes("a\0b\r\n", 5);
    ASSERT_FALSE(writeFileAtomically(target, "old"));
    ASSERT_FALSE(writeFileAtomically(target, bytes));
    EXPECT_EQ(contents(target), bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator{}), 1);
}

TEST(AtomicFile, AFailedWriteLeavesThePreviousFileByteForByte) {
    TempDir dir;
    const fs::path target = dir.path / "run.vrd";
    ASSERT_FALSE(writeFileAtomically(target, "previous\r\n"));
    // The temporary name is taken by a folder, so the write cannot even begin.
    fs::path blocker = target;
    blocker += ".tmp" + std::to_string(::getpid());
    fs::create_directory(blocker);
    auto error = writeFileAtomically(target, "new");
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->empty());
    EXPECT_EQ(contents(target), "previous\r\n");
}

TEST(AtomicFile, AFolderInPlaceOfTheTargetIsReportedAndKept) {
    TempDir dir;
    const fs::path target = dir.path / "taken";
    fs::create_directory(target);
    fs::create_directory(target / "inside");
    EXPECT_TRUE(writeFileAtomically(target, "x"));
    EXPECT_TRUE(fs::is_directory(target / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator{}), 1);
}

TEST(AtomicFile, ReadingAMissingFileReportsTheSystemMessage) {
    TempDir dir;
    std::string out = "stale";
    auto error = readWholeFile(dir.path / "none.vrd", out);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "No such file or directory");
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(readWholeFile(dir.path, out)); // a folder is no file
}

namespace {
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(AtomicFile, AReadOnlyTargetIsRefusedAndKept) {
    TempDir dir;
    const fs::path target = dir.path / "run.vrd";
    ASSERT_FALSE(writeFileAtomically(target, "protected\r\n"));
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    auto error = writeFileAtomically(target, "new");
    ASSERT_TRUE(error) << "a read-only file must not be replaced";
    EXPECT_EQ(*error, std::strerror(EACCES));
    EXPECT_EQ(contents(target), "protected\r\n");
    EXPECT_EQ(namesIn(dir.path), std::vector<std::string>{"run.vrd"});
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST(AtomicFile, ANewFileKeepsThePermissionsOfTheOneItReplaces) {
    TempDir dir;
    const fs::path target = dir.path / "run.vrd";
    ASSERT_FALSE(writeFileAtomically(target, "a"));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_FALSE(writeFileAtomically(target, "b"));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// Saving through a symbolic link replaces the file it points to, whole, and keeps the link.
TEST(AtomicFile, SavingThroughALinkWritesItsTarget) {
    TempDir dir;
    fs::create_directories(dir.path / "data");
    const fs::path real = dir.path / "data" / "real.vrd";
    ASSERT_FALSE(writeFileAtomically(real, "old"));
    const fs::path link = dir.path / "link.vrd";
    fs::create_symlink("data/real.vrd", link);
    const fs::path linkToLink = dir.path / "again.vrd";
    fs::create_symlink("link.vrd", linkToLink);

    ASSERT_FALSE(writeFileAtomically(link, "through the link"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "data/real.vrd");
    EXPECT_EQ(contents(real), "through the link");

    ASSERT_FALSE(writeFileAtomically(linkToLink, "through two links"));
    EXPECT_TRUE(fs::is_symlink(linkToLink));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(real), "through two links");
    EXPECT_EQ(namesIn(dir.path / "data"), std::vector<std::string>{"real.vrd"});

    // A link to a file not yet there creates that file.
    const fs::path dangling = dir.path / "new.vrd";
    fs::create_symlink("data/created.vrd", dangling);
    ASSERT_FALSE(writeFileAtomically(dangling, "created"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(contents(dir.path / "data" / "created.vrd"), "created");

    // A read-only file behind a link is refused like the file itself.
    fs::permissions(real, fs::perms::owner_read);
    EXPECT_TRUE(writeFileAtomically(link, "refused"));
    EXPECT_EQ(contents(real), "through two links");
}

// A save killed half way (here by the file size limit) leaves no partial file behind.
TEST(AtomicFile, ACrashWhileWritingLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path target = dir.path / "run.vrd";
    ASSERT_FALSE(writeFileAtomically(target, "previous"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        const rlimit small{1 << 16, 1 << 16};
        ::setrlimit(RLIMIT_FSIZE, &small);
        writeFileAtomically(target, std::string(1 << 20, 'x')); // killed by SIGXFSZ
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save should have been killed while writing";
    EXPECT_EQ(namesIn(dir.path), std::vector<std::string>{"run.vrd"});
    EXPECT_EQ(contents(target), "previous");
}

// Temporary files that a killed save left behind go at the next save of that file, unless
// their process still runs.
TEST(AtomicFile, TheNextSaveRemovesTemporariesOfEndedSaves) {
    TempDir dir;
    const fs::path target = dir.path / "run.vrd";
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    auto leave = [&](const std::string& name) {
        std::ofstream(dir.path / name) << "partial";
    };
    leave("run.vrd.tmp" + std::to_string(ended));
    leave("run.vrd.tmp1");            // process 1 always runs
    leave("other.vrd.tmp" + std::to_string(ended)); // another file's
    ASSERT_FALSE(writeFileAtomically(target, "saved"));
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"other.vrd.tmp" + std::to_string(ended),
                                                           "run.vrd", "run.vrd.tmp1"}));
}

TEST(AtomicFile, OnlyRegularFilesAreReadOrReplaced) {
    TempDir dir;
    std::string out = "stale";
    auto error = readWholeFile("/dev/null", out);
    ASSERT_TRUE(error) << "a device is no data file";
    EXPECT_EQ(*error, "Not a regular file");
    EXPECT_TRUE(out.empty());

    // A FIFO with a writer: read to its end it would give the writer's bytes, or hold the
    // program at the open without one.
    const fs::path fifo = dir.path / "pipe.vrd";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        int fd = ::open(fifo.c_str(), O_WRONLY);
        if (fd >= 0) {
            (void)::write(fd, "x\r\n", 3);
            ::close(fd);
        }
    });
    error = readWholeFile(fifo, out);
    int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK); // lets the writer finish
    writer.join();
    if (release >= 0) ::close(release);
    ASSERT_TRUE(error) << "a FIFO is no data file";
    EXPECT_EQ(*error, "Not a regular file");

    // Saving to a FIFO does not replace it with a file.
    EXPECT_TRUE(writeFileAtomically(fifo, "data"));
    EXPECT_TRUE(fs::is_fifo(fifo));
}
