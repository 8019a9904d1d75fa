#pragma once

#include "model/handling_document.h"
#include "platform/services.h"
#include "platform/window.h"

#include <array>

namespace kestrix {

class frmMain;

// Asks for a new car's name and how its stats start: the lowest or the
// highest allowed values, or a copy of an existing car.
class frmAddCar : public platform::Window {
  public:
    frmAddCar(frmMain& main, HandlingDocument& doc, platform::Services& services);

    platform::Label lblHeading{"lblHeading"};
    platform::Label lblWarning{"lblWarning"};
    platform::Label lblCarLabel{"lblCarLabel"};
    platform::TextField txtCarLabel{"txtCarLabel"};
    platform::Label lblHint{"lblHint"};
    platform::Label lblCarStats{"lblCarStats"};
    // 0 the lowest values, 1 the highest, 2 a copy of the car chosen in cboCars.
    std::array<platform::OptionButton, 3> optStats;
    platform::DropDown cboCars{"cboCars", platform::Sorting::Sorted};
    platform::Button cmdViewErrors{"cmdViewErrors"};
    platform::Button cmdCancel{"cmdCancel"};

    void optStats_Click(int index);
    void cmdViewErrors_Click();
    void cmdCancel_Click();

  private:
    frmMain& main_;
    HandlingDocument& doc_;
    platform::Services& services_;
};

} // namespace kestrix
