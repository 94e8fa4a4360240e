#pragma once

#include <string>
#include <string_view>

// Files are read and written in the 8-bit code page the instrument PCs always used
// (Windows-1252), unless a text holds a character that code page lacks; then UTF-8.
// Inside the program every string is UTF-8.
namespace varentis {

bool isValidUtf8(std::string_view bytes);

// Bytes of a file to UTF-8: UTF-8 when the bytes are valid UTF-8 (a leading byte-order
// mark is dropped), otherwise Windows-1252. Every byte sequence decodes to something.
std::string decodeFileText(std::string_view bytes);

// UTF-8 text to the bytes of a file: Windows-1252 when every character fits and the result
// cannot be mistaken for UTF-8 on reading, otherwise the UTF-8 text unchanged.
std::string encodeFileText(std::string_view utf8);

// True when encodeFileText would pick Windows-1252 (pure ASCII counts as both).
bool fitsWindows1252(std::string_view utf8);

// One byte of Windows-1252 as a Unicode code point. The five bytes the code page leaves
// undefined map to the C1 controls of the same value, as Windows itself does, so every
// byte survives a round trip.
char32_t windows1252ToUnicode(unsigned char byte);
// The byte for a code point, or -1 when Windows-1252 has no such character.
int unicodeToWindows1252(char32_t codePoint);

} // namespace varentis
