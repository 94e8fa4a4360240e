#include "documents/TextEncoding.h"

#include <gtest/gtest.h>

using namespace varentis;

TEST(Windows1252, EveryByteSurvivesDecodeAndEncode) {
    for (int b = 1; b < 256; ++b) {
        const char32_t cp = windows1252ToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(unicodeToWindows1252(cp), b) << b;
    }
}

struct CodePointCase {
    unsigned char byte;
    char32_t codePoint;
};

class Windows1252Table : public ::testing::TestWithParam<CodePointCase> {};

TEST_P(Windows1252Table, MapsTheCodePageCharacters) {
    EXPECT_EQ(windows1252ToUnicode(GetParam().byte), GetParam().codePoint);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Windows1252Table,
                         ::testing::Values(CodePointCase{0x41, U'A'}, CodePointCase{0x80, U'€'},
                                           CodePointCase{0x8A, U'Š'}, CodePointCase{0x96, U'–'},
                                           CodePointCase{0x9F, U'Ÿ'}, CodePointCase{0xB5, U'µ'},
                                           CodePointCase{0xE4, U'ä'}, CodePointCase{0xDF, U'ß'},
                                           CodePointCase{0x81, U'\u0081'}));

TEST(Windows1252, CharactersOutsideTheCodePageHaveNoByte) {
    for (char32_t cp : {U'Ω', U'→', U'中', U'\U0001F600', U'\u0100'})
        EXPECT_EQ(unicodeToWindows1252(cp), -1);
}

struct EncodeCase {
    const char* utf8;
    const char* fileBytes;
};

class FileEncoding : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(FileEncoding, WritesTheCodePageWhenEverythingFitsAndReadsItBack) {
    const EncodeCase& c = GetParam();
    const std::string bytes = encodeFileText(c.utf8);
    EXPECT_EQ(bytes, c.fileBytes);
    EXPECT_EQ(decodeFileText(bytes), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FileEncoding,
    ::testing::Values(EncodeCase{"plain ASCII", "plain ASCII"},
                      EncodeCase{"Grüße aus Köln", "Gr\xFC\xDF" "e aus K\xF6ln"},
                      EncodeCase{"5 µA – 3 €", "5 \xB5" "A \x96 3 \x80"},
                      // Ω is not in the code page: the whole text goes out as UTF-8.
                      EncodeCase{"Ω = 5 µA", "\xCE\xA9 = 5 \xC2\xB5" "A"},
                      // In the code page these would be C3 A9, which reads back as "é".
                      EncodeCase{"Ã©", "\xC3\x83\xC2\xA9"}, EncodeCase{"", ""}));

TEST(FileDecoding, MalformedUtf8IsReadAsTheCodePage) {
    EXPECT_EQ(decodeFileText("\xE4\xF6\xFC"), "äöü");
    EXPECT_EQ(decodeFileText("a\xC3"), "aÃ"); // a truncated sequence
    EXPECT_EQ(decodeFileText("\xC0\xAF"), "À¯"); // an overlong form
    EXPECT_EQ(decodeFileText("\xED\xA0\x80"), "í\u00A0€"); // a surrogate
}

TEST(FileDecoding, DropsAUtf8ByteOrderMark) {
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBFtext"), "text");
}

TEST(FileDecoding, ValidUtf8IsTakenAsIs) {
    EXPECT_TRUE(isValidUtf8("Ω µ \U0001F600"));
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_EQ(decodeFileText("Ω µ"), "Ω µ");
}
