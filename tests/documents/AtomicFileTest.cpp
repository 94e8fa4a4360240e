#include "documents/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

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
