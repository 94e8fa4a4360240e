#include "documents/ControlAccess.h"

namespace varentis {

std::string ControlAccess::itemText(std::string_view control) const {
    int index = itemIndex(control);
    std::vector<std::string> entries = items(control);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return {};
    return entries[static_cast<std::size_t>(index)];
}

bool ControlAccess::selectItemByText(std::string_view control, std::string_view value) {
    std::vector<std::string> entries = items(control);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == value) {
            setItemIndex(control, static_cast<int>(i));
            return true;
        }
    }
    return false;
}

} // namespace varentis
