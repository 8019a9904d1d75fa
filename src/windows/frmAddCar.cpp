#include "windows/frmAddCar.h"

#include "cars/cars.h"
#include "windows/frmMain.h"

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

constexpr int kCopy = 2;

// Why the name cannot be taken, as the window says it; empty when it can.
std::string Refusal(NewCarProblem problem) {
    switch (problem) {
    case NewCarProblem::None:
        return {};
    case NewCarProblem::Space:
        return "You cannot have spaces in the car name!";
    case NewCarProblem::Empty:
        return "You cannot have an empty car name!";
    case NewCarProblem::Tab:
        return "You cannot have tabs in the car name!";
    case NewCarProblem::LineBreak:
        return "You cannot have line breaks in the car name!";
    case NewCarProblem::TooManyCars:
        return "You cannot have more than " + std::to_string(kMaxCars) + " cars in the file!";
    }
    return {};
}

} // namespace

frmAddCar::frmAddCar(frmMain& main, HandlingDocument& doc, platform::Services& services)
    : Window("frmAddCar"), main_(main), doc_(doc), services_(services) {
    SetCaption("Add new car");
    lblHeading.SetCaption("Add new car :");
    lblWarning.SetCaption(
        "Please note that this may screw up the system if you create cars that are not "
        "recognised, or if you go over the allowed number of cars the engine allows. This is "
        "an unsupported feature.");
    lblCarLabel.SetCaption("Car Label :");
    lblHint.SetCaption(
        "Don't go and make this too long. I suggest you use only ascii uppercase characters. No "
        "spaces allowed.");
    lblCarStats.SetCaption("Car Stats :");
    const char* const options[] = {"Set all the stats to the lowest possible",
                                   "Set all the stats to the highest possible", "Copy stats of car : "};
    for (int i = 0; i < 3; ++i) {
        platform::OptionButton& option = optStats[static_cast<std::size_t>(i)];
        option.SetName("optStats" + std::to_string(i));
        option.SetCaption(options[i]);
        option.Click = [this, i] { optStats_Click(i); };
    }
    platform::OptionButton::Group({&optStats[0], &optStats[1], &optStats[2]});
    cmdViewErrors.SetCaption("Create Car");
    cmdCancel.SetCaption("Cancel");
    cmdViewErrors.Click = [this] { cmdViewErrors_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    DefaultButton = &cmdViewErrors;
    CancelButton = &cmdCancel;
    Focus.Join(
        {&txtCarLabel, &optStats[0], &optStats[1], &optStats[2], &cboCars, &cmdViewErrors, &cmdCancel});

    txtCarLabel.SetText("MYCAR");
    txtCarLabel.Select(0, txtCarLabel.Text().size());
    txtCarLabel.SetFocus();
    optStats[0].SetValue(true);
}

void frmAddCar::optStats_Click(int index) {
    cboCars.SetEnabled(index == kCopy);
}

void frmAddCar::cmdViewErrors_Click() {
    const std::string& name = txtCarLabel.Text();
    if (const std::string refusal = Refusal(CheckNewCar(doc_.Cars, name)); !refusal.empty()) {
        services_.ShowMessage({refusal, "Add New Car...", Buttons::Ok, Icon::Warning, Answer::Ok});
        return;
    }
    NewCarStats stats = NewCarStats::CopyOf;
    if (optStats[0].Value())
        stats = NewCarStats::Lowest;
    else if (optStats[1].Value())
        stats = NewCarStats::Highest;
    const int position = cboCars.ListIndex();
    const int row = AppendCar(doc_.Cars, name, stats, position < 0 ? std::string() : cboCars.List(position));
    main_.cboCars.SetListIndex(main_.AddCarEntries({row}));
    main_.MarkModified();
    main_.RefreshCarTable(true);
    Unload();
}

void frmAddCar::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
