// Random and damaged input for both readers: nothing may crash or hang, and whatever was
// read must be usable (point arrays of the counted length, settings of bounded size).
#include "documents/DataFile.h"
#include "documents/SettingsFile.h"

#include "FakeControls.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

using namespace varentis;

namespace {

struct NullHooks : DataFileReadHooks {
    void applyPeriod() override {}
    ColumnFactors recomputeScaling() override { return {}; }
};

void readBoth(std::string_view bytes) {
    FakeControls controls;
    PointStore points;
    NullHooks hooks;
    readDataFile(bytes, controls, points, hooks);
    ASSERT_EQ(points.Times.size(), static_cast<std::size_t>(points.Count));
    ASSERT_EQ(points.Signals.size(), static_cast<std::size_t>(points.Count));
    ASSERT_GT(points.Capacity, points.Count);

    std::array<std::string, 6> zero, factor;
    GraphColorValues colors;
    PageSetupValues page;
    SettingsTargets targets{controls, zero, factor, colors, page};
    const ProfileStore store = ProfileStore::parse(bytes);
    loadCreationSettings(store, controls);
    loadActivationSettings(store, targets);
    // Serialising what was read and reading it again gives the same store.
    const std::string once = store.serialize();
    ASSERT_EQ(ProfileStore::parse(once).serialize(), once);
}

const char* const kSample =
    "[Setup]\r\nPeriod=100\r\nPeriod units=ms\r\nY units=nA\r\nUsing potentiostat=true\r\n"
    "Electrodes=1\r\n[Valves]\r\n5 V1=\r\n[Info]\r\nsample=\r\n[Data]\r\n0.00\t1.50\t2.000\r\n"
    "0.10\t2.25\t-1.000\r\n[PMT setup]\r\nCurrent zero 0=0x10\r\n[Colors]\r\nPMT=-1\r\n";

} // namespace

TEST(Fuzz, RandomBytesNeitherCrashNorHang) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 4000);
    const std::string_view alphabet = "[]=\t\r\n0123456789.-eE SetupDaVlvsIfo";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(static_cast<std::size_t>(length(rng)), '\0');
        const bool structured = round % 2 == 1; // half from the characters the formats use
        for (char& c : bytes)
            c = structured ? alphabet[pick(rng)] : static_cast<char>(byte(rng));
        readBoth(bytes);
    }
}

TEST(Fuzz, MutatedFilesNeitherCrashNorHang) {
    std::mt19937 rng(7);
    for (int round = 0; round < 1000; ++round) {
        std::string bytes = kSample;
        const int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            const std::size_t at = rng() % bytes.size();
            switch (rng() % 4) {
            case 0: bytes[at] = static_cast<char>(rng() % 256); break;
            case 1: bytes.erase(at, rng() % 16); break;
            case 2: bytes.insert(at, bytes.substr(rng() % bytes.size(), rng() % 32)); break;
            default: bytes.insert(at, 1, "[]=\t\r\n\xC3\xFF"[rng() % 8]); break;
            }
        }
        readBoth(bytes);
    }
}

TEST(Fuzz, HugeAndDegenerateInputsOpen) {
    const auto started = std::chrono::steady_clock::now();
    readBoth("");
    readBoth(std::string(1 << 20, 'x'));                                     // one 1 MB line
    readBoth("[Setup]\r\nPeriod=" + std::string(1 << 20, '9') + "\r\n[Data]\r\n" +
             std::string(1 << 20, '1') + "\t" + std::string(1 << 20, '2'));
    readBoth(std::string(1 << 20, '\0'));
    readBoth(std::string(1 << 20, '\xFF'));

    std::string many = "[Setup]\r\n[Info]\r\n[Data]\r\n";
    for (int i = 0; i < 2'000'000; ++i) many += "1e999\tabc\r\n";
    FakeControls controls;
    PointStore points;
    NullHooks hooks;
    readDataFile(many, controls, points, hooks);
    EXPECT_EQ(points.Count, 2'000'000);
    EXPECT_EQ(points.Times.back(), 0.0);
    EXPECT_EQ(points.Signals.back(), 0.0);

    std::string manyKeys = "[Setup]\r\n";
    for (int i = 0; i < 1'000'000; ++i) manyKeys += "key" + std::to_string(i) + "=v\r\n";
    const ProfileStore store = ProfileStore::parse(manyKeys);
    EXPECT_EQ(store.readString("Setup", "key999999", ""), "v");

    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}
