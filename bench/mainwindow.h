// The program's main window built inside a bench process from the embedded
// description, with its real controls and buttons, shown; no command is bound,
// so pressing a button runs nothing.
#pragma once

#include <vector>

#include "aerobutton/aerobutton.h"
#include "runtime/form.h"

namespace bench {

class MainWindow {
public:
    // Raises a run-time error when the window cannot be built.
    MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    rt::Form& Form() { return form_; }
    // The form's AeroButtons, in the order it holds them.
    const std::vector<aero::AeroButton*>& Buttons() const { return buttons_; }
    // The button of that name; raises a run-time error when there is none.
    aero::AeroButton& Button(const wchar_t* name) const;

private:
    rt::Form form_;
    std::vector<aero::AeroButton*> buttons_;
};

// Runs pending messages for a while.
void Pump(double ms);

}  // namespace bench
