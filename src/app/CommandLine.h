#pragma once

#include <vector>

namespace varentis {

// The arguments without the options that Qt's window system part takes for itself
// ("-platform offscreen", "-style fusion", "-reverse", ...), followed by a null pointer.
// --help and --version run without that part, which would otherwise leave those options
// to the program's own parser as unknown.
std::vector<char*> withoutWindowSystemOptions(int argc, char** argv);

} // namespace varentis
