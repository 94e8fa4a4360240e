#include "app/CommandLine.h"

#include <string_view>

namespace varentis {

namespace {

// Options of the window system with a value, as "-name value", "--name value" or
// "-name=value".
constexpr std::string_view kWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "geometry", "qwindowicon",        "icon",          "qwindowtitle", "title",
    "display",  "name",               "session",       "style",   "stylesheet"};
constexpr std::string_view kFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

std::vector<char*> withoutWindowSystemOptions(int argc, char** argv) {
    std::vector<char*> kept;
    if (argc > 0) kept.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        std::string_view arg(argv[i]);
        if (arg == "--") {
            for (; i < argc; ++i) kept.push_back(argv[i]);
            break;
        }
        std::string_view name = arg;
        if (name.starts_with("--")) name.remove_prefix(2);
        else if (name.starts_with("-")) name.remove_prefix(1);
        else {
            kept.push_back(argv[i]);
            continue;
        }
        bool dropped = false;
        for (std::string_view option : kWithValue) {
            if (name == option) {
                ++i; // its value goes too
                dropped = true;
                break;
            }
            if (name.size() > option.size() && name.starts_with(option) &&
                name[option.size()] == '=') {
                dropped = true;
                break;
            }
        }
        for (std::string_view flag : kFlags)
            if (name == flag) dropped = true;
        if (name.starts_with("qmljsdebugger=")) dropped = true;
        if (!dropped) kept.push_back(argv[i]);
    }
    kept.push_back(nullptr);
    return kept;
}

} // namespace varentis
