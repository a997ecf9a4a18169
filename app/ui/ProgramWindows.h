#pragma once

#include <memory>

class QSettings;

namespace tervo {

class Clipboard;
class ControlPanelController;
class Prompts;
class Workstation;
class frmControlPanel;

// The program's windows over the workstation's models, each reached from the main window's
// menus: measurement, processing, analysis, track editing and import, power, macro and the
// simulated rig's panel. The models must exist.
class ProgramWindows {
public:
    ProgramWindows(Workstation &workstation, frmControlPanel &main,
                   ControlPanelController &controller, Prompts &prompts, Clipboard &clipboard,
                   QSettings &userSettings);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows &) = delete;
    ProgramWindows &operator=(const ProgramWindows &) = delete;

private:
    struct Parts;
    std::unique_ptr<Parts> m;
};

} // namespace tervo
