#include "windows/frmAddCar.h"

#include "model/stat_catalogue.h"

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

constexpr int kCopy = 2;

} // namespace

std::string NameRefusal(NewCarProblem problem) {
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

frmAddCar::frmAddCar(Document& doc, platform::Services& services)
    : Window("frmAddCar"), doc_(doc), services_(services) {
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
    NameAfter(txtCarLabel, lblCarLabel);
    NameAfter(cboCars, optStats[2]);
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
    if (const std::string refusal = NameRefusal(CheckNewCar(doc_.Cars(), name)); !refusal.empty()) {
        services_.ShowMessage({refusal, "Add New Car...", Buttons::Ok, Icon::Warning, Answer::Ok});
        return;
    }
    NewCarStats stats = NewCarStats::CopyOf;
    if (optStats[0].Value())
        stats = NewCarStats::Lowest;
    else if (optStats[1].Value())
        stats = NewCarStats::Highest;
    // Each entry carries its car's row: the car chosen, whatever other car has its name.
    const int position = cboCars.ListIndex();
    doc_.Commit(AddCarChange(
        doc_.Cars(), NewCar(doc_.Cars(), name, stats, position < 0 ? -1 : cboCars.ItemData(position))));
    Unload();
}

void frmAddCar::cmdCancel_Click() {
    Unload();
}

frmRenameCar::frmRenameCar(Document& doc, platform::Services& services, int row)
    : Window("frmRenameCar"), doc_(doc), services_(services), row_(row) {
    SetCaption("Rename Car");
    lblPrompt.SetCaption("New name of the car :");
    NameAfter(txtName, lblPrompt);
    cmdOK.SetCaption("OK");
    cmdCancel.SetCaption("Cancel");
    txtName.SetText(std::string(doc_.Cars().at(static_cast<std::size_t>(row))[VehicleIdentifier]));
    txtName.Select(0, txtName.Text().size());
    DefaultButton = &cmdOK;
    CancelButton = &cmdCancel;
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    Focus.Join({&txtName, &cmdOK, &cmdCancel});
    txtName.SetFocus();
}

void frmRenameCar::cmdOK_Click() {
    const std::string& name = txtName.Text();
    const auto refuse = [this](const std::string& text) {
        services_.ShowMessage(
            {text, "Rename Car", platform::Buttons::Ok, platform::Icon::Warning, platform::Answer::Ok});
        txtName.SetFocus();
    };
    if (const std::string refusal = NameRefusal(CheckCarName(name)); !refusal.empty())
        return refuse(refusal);
    const int longest = StatCatalogue::Instance()[VehicleIdentifier].MaxLength;
    if (name.size() > static_cast<std::size_t>(longest))
        return refuse("A car name can have at most " + std::to_string(longest) + " characters; \"" + name +
                      "\" has " + std::to_string(name.size()) + ".");
    const int same = FirstRowNamed(doc_.Cars(), name);
    if (same >= 0 && same != row_ &&
        services_.ShowMessage({"Another car is already named '" + name + "'.\rUse the name anyway?",
                               "Rename Car", platform::Buttons::YesNo, platform::Icon::Warning,
                               platform::Answer::No}) != platform::Answer::Yes) {
        txtName.SetFocus();
        return;
    }
    doc_.Commit(RenameCarChange(doc_.Cars(), row_, name));
    Unload();
}

void frmRenameCar::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
