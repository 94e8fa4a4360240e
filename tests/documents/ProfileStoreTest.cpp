#include "documents/ProfileStore.h"

#include <gtest/gtest.h>

using namespace varentis;

TEST(ProfileStore, MatchesSectionsAndKeysWithoutRegardToCaseOrBlanks) {
    auto store = ProfileStore::parse("[SETUP]\r\n  period units  =  ms \r\nPeriod=100\r\n");
    EXPECT_EQ(store.readString("Setup", "Period units", "x"), "ms");
    EXPECT_EQ(store.readString(" setup ", "PERIOD", "x"), "100");
    EXPECT_EQ(store.readString("Setup", "Damping", "0"), "0");
    EXPECT_EQ(store.readString("Other", "Period", "d"), "d");
}

TEST(ProfileStore, SplitsALineAtItsFirstEquals) {
    auto store = ProfileStore::parse("[A]\nkey=a=b\n");
    EXPECT_EQ(store.readString("A", "key", ""), "a=b");
}

TEST(ProfileStore, FirstOfARepeatedKeyWins) {
    auto store = ProfileStore::parse("[A]\nk=1\nK=2\n");
    EXPECT_EQ(store.readString("A", "k", ""), "1");
}

TEST(ProfileStore, ReadsCrLfAndCrLineEndsAndWritesCrLf) {
    for (const char* text : {"[A]\r\nx=1\r\ny=2\r\n", "[A]\nx=1\ny=2\n", "[A]\rx=1\ry=2\r",
                             "[A]\r\nx=1\ny=2"}) {
        auto store = ProfileStore::parse(text);
        EXPECT_EQ(store.readString("A", "y", ""), "2") << text;
        EXPECT_EQ(store.serialize(), "[A]\r\nx=1\r\ny=2\r\n") << text;
    }
}

TEST(ProfileStore, WritesInPlaceAppendsNewKeysAndSections) {
    auto store = ProfileStore::parse("; kept\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    store.writeString("a", "X", "10");  // replaced in place
    store.writeString("A", "w", "4");   // appended to A, before the blank separator line
    store.writeString("C", "v", "5");   // a new section at the end
    EXPECT_EQ(store.serialize(),
              "; kept\r\n[A]\r\nX=10\r\ny=2\r\nw=4\r\n\r\n[B]\r\nz=3\r\n[C]\r\nv=5\r\n");
    EXPECT_EQ(store.readString("A", "w", ""), "4");
    EXPECT_EQ(store.readString("A", "y", ""), "2");
}

TEST(ProfileStore, ErasesASectionWhole) {
    auto store = ProfileStore::parse("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    store.eraseSection("A");
    EXPECT_FALSE(store.hasSection("A"));
    EXPECT_EQ(store.readString("B", "y", ""), "2");
    EXPECT_EQ(store.serialize(), "[B]\r\ny=2\r\n");
    store.writeString("B", "q", "1");
    EXPECT_EQ(store.readString("B", "q", ""), "1");
}

struct IntegerCase {
    const char* value;
    int expected;
};

class ProfileIntegers : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ProfileIntegers, ReadsDecimalAndHexAndFallsBackOnAnythingElse) {
    auto store = ProfileStore::parse(std::string("[A]\nk=") + GetParam().value + "\n");
    EXPECT_EQ(store.readInteger("A", "k", 77), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileIntegers,
    ::testing::Values(IntegerCase{"12", 12}, IntegerCase{"-3", -3}, IntegerCase{" 42 ", 42},
                      IntegerCase{"0xFF", 255}, IntegerCase{"0x00FF0000", 16711680},
                      IntegerCase{"0xFFFFFFFF", -1}, IntegerCase{"", 77},
                      IntegerCase{"abc", 77}, IntegerCase{"1.5", 77}, IntegerCase{"1e999", 77},
                      IntegerCase{"0x", 77}, IntegerCase{"0x123456789", 77},
                      IntegerCase{"99999999999", 77}, IntegerCase{"12abc", 77}));

TEST(ProfileStore, FlagsAreNonZeroIntegers) {
    auto store = ProfileStore::parse("[A]\na=1\nb=0\nc=2\nd=yes\n");
    EXPECT_TRUE(store.readFlag("A", "a", false));
    EXPECT_FALSE(store.readFlag("A", "b", true));
    EXPECT_TRUE(store.readFlag("A", "c", false));
    EXPECT_TRUE(store.readFlag("A", "d", true));
    EXPECT_FALSE(store.readFlag("A", "d", false));
    store.writeFlag("A", "e", true);
    EXPECT_EQ(store.readString("A", "e", ""), "1");
}

TEST(ProfileStore, LineSectionsKeepRepeatsOrderBlanksAndEquals) {
    ProfileStore store;
    const std::vector<std::string> lines{"5 V1", "", "a=b", "5 V1", "  indented", "x=", "[V2]"};
    store.writeLines("Valves", lines);
    auto back = ProfileStore::parse(store.serialize()).readLines("valves");
    EXPECT_EQ(back, (std::vector<std::string>{"5 V1", "a=b", "5 V1", "  indented", "x=", "[V2]"}));
}

TEST(ProfileStore, RewritingLinesReplacesTheWholeSection) {
    auto store = ProfileStore::parse("[Info]\nold=\nolder=\n[B]\ny=2\n");
    store.writeLines("INFO", {"new"});
    EXPECT_EQ(store.readLines("Info"), std::vector<std::string>{"new"});
    EXPECT_EQ(store.readString("B", "y", ""), "2");
}

TEST(ProfileStore, KeepsEveryCharacterThroughTheFile) {
    ProfileStore store;
    store.writeString("Setup", "Potential", "Grüße µA");
    store.writeLines("Info", {"Ω-Messung", "Köln"});
    const std::string bytes = store.serialize();
    auto back = ProfileStore::parse(bytes);
    EXPECT_EQ(back.readString("Setup", "Potential", ""), "Grüße µA");
    EXPECT_EQ(back.readLines("Info"), (std::vector<std::string>{"Ω-Messung", "Köln"}));
    EXPECT_EQ(back.serialize(), bytes);
}
