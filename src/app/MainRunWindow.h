#pragma once

#include "app/RunWindow.h"

namespace varentis {

class MainFormLayout;

// The run view's commands in the main window: the tool buttons, the menu items of the Run
// menu and the valve boxes.
class MainRunWindow final : public RunWindow {
public:
    explicit MainRunWindow(MainFormLayout& form) : form_(form) {}

    void enableRunCommands(bool run, bool pause, bool stop, bool deviceTest) override;
    void showValves(std::uint16_t mask) override;

private:
    MainFormLayout& form_;
};

} // namespace varentis
