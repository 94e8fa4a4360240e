#pragma once

#include "documents/ControlAccess.h"
#include "documents/ProfileStore.h"
#include "documents/SettingsFile.h"

#include <array>

#include <map>
#include <string>
#include <vector>

// The controls of the windows as maps, filled with the entries the forms give the lists.
class FakeControls : public varentis::ControlAccess {
public:
    FakeControls() {
        const std::vector<std::string> currents{"pA", "nA", "uA", "mA", "A"};
        lists["ComboBox3"] = {"ms", "s"};
        lists["ComboBox4"] = {"%", "ms", "s"};
        lists["ComboBox1"] = currents;
        lists["ComboBox2"] = {"s", "min", "h"};
        lists["TPotential.CUnits"] = currents;
        lists["TPotential.Electrodes"] = {"2 electrodes", "3 electrodes"};
        for (const auto& [name, entries] : lists) indexes[name] = -1;
        lists["TResults.MeasureBox"] = {"Height", "Area"};
        indexes["TResults.MeasureBox"] = 0;
    }

    std::string text(std::string_view c) const override { return get(texts, c, std::string()); }
    void setText(std::string_view c, const std::string& v) override {
        texts[std::string(c)] = v;
        ++changes[std::string(c)];
    }
    int itemIndex(std::string_view c) const override { return get(indexes, c, -1); }
    void setItemIndex(std::string_view c, int i) override {
        indexes[std::string(c)] = i;
        ++changes[std::string(c)];
    }
    std::vector<std::string> items(std::string_view c) const override {
        return get(lists, c, std::vector<std::string>());
    }
    bool checked(std::string_view c) const override { return get(checks, c, false); }
    void setChecked(std::string_view c, bool on) override { checks[std::string(c)] = on; }
    std::vector<std::string> lines(std::string_view c) const override {
        return get(memos, c, std::vector<std::string>());
    }
    void setLines(std::string_view c, const std::vector<std::string>& l) override {
        memos[std::string(c)] = l;
    }

    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, int, std::less<>> indexes;
    std::map<std::string, std::vector<std::string>, std::less<>> lists;
    std::map<std::string, bool, std::less<>> checks;
    std::map<std::string, std::vector<std::string>, std::less<>> memos;
    std::map<std::string, int, std::less<>> changes;

private:
    template <class M, class V> static V get(const M& m, std::string_view c, V fallback) {
        auto it = m.find(c);
        return it == m.end() ? fallback : it->second;
    }
};

// The controls as a first start leaves them (every setting at its default).
inline FakeControls defaultControls() {
    FakeControls c;
    std::array<std::string, 6> zero, factor;
    varentis::GraphColors colors;
    varentis::PageSetupValues page;
    varentis::SettingsTargets targets{c, zero, factor, colors, page};
    varentis::loadCreationSettings(varentis::ProfileStore{}, c);
    varentis::loadActivationSettings(varentis::ProfileStore{}, targets);
    return c;
}
