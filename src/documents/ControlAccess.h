#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varentis {

// How the settings and data file code reaches the controls that hold the settings. The
// windows implement it; the logic never holds a widget.
//
// Controls are named by their designer names. Controls of the main window go by their bare
// name ("Edit6", "ComboBox3", "UsingValves", "Memo2", the menu items "Stopifmaxtime1",
// "Changerange1", "Detectoroff"); controls of other windows are qualified with the window's
// class: "TPotential.PMin", "TPotential.Electrodes", "TPMTSetup.VFactor", "TPump.Edit1",
// "TForm2.Edit1", "TPrintRep.CheckBox1".
//
// Setting a text or a selection must run the control's own change handling, as an
// operator's edit would.
class ControlAccess {
public:
    virtual ~ControlAccess() = default;

    // Edit fields (and the current text of a combo box or label).
    virtual std::string text(std::string_view control) const = 0;
    virtual void setText(std::string_view control, const std::string& value) = 0;

    // Combo boxes and radio groups; -1 is "nothing selected".
    virtual int itemIndex(std::string_view control) const = 0;
    virtual void setItemIndex(std::string_view control, int index) = 0;
    virtual std::vector<std::string> items(std::string_view control) const = 0;

    // Check boxes and checkable menu items.
    virtual bool checked(std::string_view control) const = 0;
    virtual void setChecked(std::string_view control, bool on) = 0;

    // Multi-line editors, one string per line; an empty editor has no lines.
    virtual std::vector<std::string> lines(std::string_view control) const = 0;
    virtual void setLines(std::string_view control, const std::vector<std::string>& lines) = 0;

    // Text of the selected entry, empty when nothing is selected.
    std::string itemText(std::string_view control) const;
    // Selects the entry equal to `text` (exact, case-sensitive). With no match the selection
    // stays as it was and false is returned.
    bool selectItemByText(std::string_view control, std::string_view text);
};

} // namespace varentis
