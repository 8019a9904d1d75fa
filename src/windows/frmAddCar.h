#pragma once

#include "document/car_commands.h"
#include "document/document.h"
#include "platform/services.h"
#include "platform/window.h"

#include <array>

namespace kestrix {

// Why a name cannot be taken, as the add-car and rename windows say it; empty when it can.
std::string NameRefusal(NewCarProblem problem);

// Asks for a new car's name and how its stats start: the lowest or the
// highest allowed values, or a copy of an existing car.
class frmAddCar : public platform::Window {
  public:
    frmAddCar(Document& doc, platform::Services& services);

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
    Document& doc_;
    platform::Services& services_;
};

// Asks for a car's new name: the add-car window's rules, at most the 14
// characters a name may have, and a name another car has only when the user says so.
class frmRenameCar : public platform::Window {
  public:
    frmRenameCar(Document& doc, platform::Services& services, int row);

    platform::Label lblPrompt{"lblPrompt"};
    platform::TextField txtName{"txtName"};
    platform::Button cmdOK{"cmdOK"};
    platform::Button cmdCancel{"cmdCancel"};

    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    Document& doc_;
    platform::Services& services_;
    int row_;
};

} // namespace kestrix
