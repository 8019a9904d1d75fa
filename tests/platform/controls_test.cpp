#include "platform/control_probes.h"
#include "platform/controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace kestrix::platform;
using kestrix::test::ColumnTexts;
using kestrix::test::EntryTexts;
using kestrix::test::RecordingView;

namespace {

// Writes down every event it is given, in order.
struct Events {
    std::vector<std::string> seen;
    Event Note(std::string what) {
        return [this, what] { seen.push_back(what); };
    }
};

} // namespace

TEST(TextFieldTest, ChangeComesFromCodeAndUserAlikeButOnlyForANewText) {
    Events events;
    TextField field("txtStat1");
    field.Change = events.Note("change");
    field.Refused = [&events](TextField::Refusal refusal) {
        events.seen.push_back(refusal == TextField::Refusal::Separator ? "separator" : "unwritable");
    };
    field.SetText("1500");
    field.SetText("1500");
    field.SetRefusedCharacters(" \t");
    field.UserTypes("1 500\t600");
    EXPECT_EQ(field.Text(), "1500") << "a paste with a blank is refused whole, never joined";
    field.UserTypes("1700");
    field.UserRefused(TextField::Refusal::Unwritable);
    field.SetEnabled(false);
    field.UserTypes("9");
    EXPECT_EQ(field.Text(), "1700");
    EXPECT_EQ(events.seen, (std::vector<std::string>{"change", "separator", "change", "unwritable"}));
}

TEST(FocusTest, TheOldControlLosesTheFocusBeforeTheNewOneGetsIt) {
    Events events;
    FocusScope scope;
    TextField mass("txtStat1");
    TextField name("txtStat0");
    DropDown cars("cboCars");
    scope.Join({&mass, &name, &cars});
    mass.GotFocus = events.Note("mass got");
    mass.LostFocus = events.Note("mass lost");
    cars.GotFocus = events.Note("cars got");
    name.SetCanFocus(false);
    mass.SetFocus();
    name.SetFocus();
    EXPECT_TRUE(mass.HasFocus()) << "a control that cannot take the focus does not take it";
    cars.SetFocus();
    cars.SetFocus();
    EXPECT_EQ(events.seen, (std::vector<std::string>{"mass got", "mass lost", "cars got"}));
    {
        TextField passing("txtPassing");
        passing.JoinFocusScope(scope);
        passing.SetFocus();
    }
    EXPECT_EQ(scope.Focused(), nullptr) << "a control that dies with the focus leaves none behind";
}

TEST(ButtonsTest, DisabledControlsTakeNoClickAndBoxesClickOnlyOnAChange) {
    Events events;
    Button button("cmdSave");
    CheckBox abs("chkABS");
    MenuEntry save("mnuSave"), separator("sep1");
    TabControl tabs("tabGeneral", {"General", "Size"});
    button.Click = events.Note("button");
    abs.Click = events.Note("abs");
    save.Click = events.Note("menu");
    separator.Click = events.Note("separator");
    tabs.Click = events.Note("page");
    separator.IsSeparator = true;
    for (Control* control : std::initializer_list<Control*>{&button, &abs, &save, &tabs})
        control->SetEnabled(false);
    button.UserClicks();
    abs.UserClicks();
    save.UserChooses();
    tabs.UserChoosesPage(1);
    separator.UserChooses();
    button.SetEnabled(true);
    button.UserClicks();
    abs.SetValue(1);
    abs.SetValue(1);
    abs.SetEnabled(true);
    abs.UserClicks();
    EXPECT_EQ(abs.Value(), 0);
    tabs.SetTab(0);
    tabs.SetTab(1);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"button", "abs", "abs", "page"}));
}

TEST(OptionButtonTest, ChoosingOneClearsTheOthersOnlyChoosingClicksAndTheArrowsSkipWhatCannotBeChosen) {
    Events events;
    FocusScope focus;
    OptionButton lowest("optStats0"), highest("optStats1"), copy("optStats2");
    OptionButton::Group({&lowest, &highest, &copy});
    for (OptionButton* option : {&lowest, &highest, &copy})
        option->JoinFocusScope(focus);
    lowest.SetEnabled(false);
    EXPECT_TRUE(highest.TabStop() && !lowest.TabStop() && !copy.TabStop())
        << "none chosen: the first that can be chosen is the tab stop";
    lowest.SetEnabled(true);
    lowest.Click = events.Note("lowest");
    copy.Click = events.Note("copy");
    lowest.SetValue(true);
    copy.UserClicks();
    copy.UserClicks();
    EXPECT_FALSE(lowest.Value());
    EXPECT_EQ(events.seen, (std::vector<std::string>{"lowest", "copy"}));

    lowest.SetEnabled(false);
    copy.UserSteps(1);
    EXPECT_TRUE(highest.Value()) << "round the end, over the disabled one";
    EXPECT_TRUE(highest.HasFocus());
    EXPECT_EQ((std::vector<bool>{lowest.TabStop(), highest.TabStop(), copy.TabStop()}),
              (std::vector<bool>{false, true, false}))
        << "the group is one tab stop, its chosen option";
}

TEST(DropDownTest, SortedInsertKeepsTheSelectionAndUserPicksRaiseTheirEventsInOrder) {
    Events events;
    DropDown cars("cboCars", Sorting::Sorted);
    EXPECT_EQ(cars.AddItem("ZEBRA", 0), 0);
    EXPECT_EQ(cars.AddItem("apple", 1), 0);
    cars.Click = events.Note("click");
    cars.SetListIndex(1);
    EXPECT_EQ(cars.AddItem("Mango", 2), 1) << "case does not count in the order";
    EXPECT_EQ(cars.List(cars.ListIndex()), "ZEBRA") << "the selected entry stays selected";
    EXPECT_EQ(cars.AddItem("apple", 3), 1) << "a second entry of a name comes after the first";
    EXPECT_EQ(cars.ItemData(0), 1);

    cars.DropDownOpening = events.Note("opening");
    cars.UserSelecting = events.Note("selecting");
    cars.UserPicks(2);
    cars.UserSteps(0);
    cars.SetListIndex(-1);
    EXPECT_TRUE(cars.SelectText("Mango"));
    EXPECT_FALSE(cars.SelectText("mango"));
    EXPECT_EQ(events.seen, (std::vector<std::string>{"click", "opening", "selecting", "click", "selecting",
                                                     "click", "click"}));
}

TEST(TickListTest, EachUserActionIsOneClickWhateverItChanges) {
    Events events;
    TickList flags("lvFlags");
    flags.SetEntries({"1G_BOOST", "2G_BOOST", "REV_BONNET"});
    flags.Click = events.Note("click");
    flags.UserClicks(1, true);
    flags.UserClicks(1, false);
    EXPECT_EQ(std::pair(flags.Ticked(1), flags.Current()), std::pair(true, 1))
        << "a click on the text ticks nothing";
    flags.UserMovesTo(2);
    flags.UserMovesTo(2);
    flags.SetTicked(0, true);
    flags.SetTicked(0, true);
    flags.SetEnabled(false);
    flags.UserClicks(0, true);
    EXPECT_EQ(events.seen.size(), 4u)
        << "a move to where it is, or a tick from code that changes nothing, clicks not";
}

TEST(ListBoxTest, SortedEntriesSeveralSelectedAndTakenAway) {
    Events events;
    ListBox left("lvLeft", Sorting::Sorted, ListBox::Selection::Multiple);
    left.AddItems({"MARSHAL", "aspen", "JUNIPER"});
    EXPECT_EQ(left.AddItem("BRACKEN"), 1);
    left.AddItems({"ASPEN", "ZEPHYR"});
    left.DblClick = events.Note("double");
    left.UserClicks(1);
    left.UserClicks(3, ListBox::Pick::Range);
    left.UserClicks(2, ListBox::Pick::Toggle);
    left.UserClicks(5, ListBox::Pick::Toggle);
    EXPECT_EQ(EntryTexts(left),
              (std::vector<std::string>{"ASPEN", "aspen*", "BRACKEN", "JUNIPER*", "MARSHAL", "ZEPHYR*"}));
    EXPECT_EQ(left.TakeSelected(), (std::vector<std::string>{"aspen", "JUNIPER", "ZEPHYR"}));
    left.UserDoubleClicks(2);
    EXPECT_EQ(EntryTexts(left), (std::vector<std::string>{"ASPEN", "BRACKEN", "MARSHAL*"}));
    EXPECT_EQ(events.seen, (std::vector<std::string>{"double"}));
}

TEST(ColumnListTest, SortedRowsAreReadInTheOrderShown) {
    ColumnList errors("lvErrors", {"", "Car", "Error"});
    errors.SetRows({"#9", "juniper", "b", "#1", "MARSHAL", "a", "#13", "Juniper", "c", "#2", "juniper", "d"});
    errors.SetSelectedRow(1);
    errors.SetSort(true, 1, ColumnList::Order::Ascending);
    EXPECT_EQ(ColumnTexts(errors, 2), (std::vector<std::string>{"c", "b", "d", "a"}))
        << "case-insensitive, then exact bytes, then the order the rows came in";
    EXPECT_EQ(errors.Cell(errors.SelectedRow(), 0), "#1") << "the selection follows its row";
    errors.SetSort(true, 1, ColumnList::Order::Descending);
    EXPECT_EQ(ColumnTexts(errors, 2), (std::vector<std::string>{"a", "b", "d", "c"}))
        << "ties keep their order";
    errors.SetSort(true, 0, ColumnList::Order::Ascending);
    EXPECT_EQ(ColumnTexts(errors, 0), (std::vector<std::string>{"#1", "#13", "#2", "#9"}))
        << "numbers sort as text";
    EXPECT_EQ(errors.CopyText(),
              "\tCar\tError\n#1\tMARSHAL\ta\n#13\tJuniper\tc\n#2\tjuniper\td\n#9\tjuniper\tb\n");

    Events events;
    std::vector<std::string> headers;
    errors.ColumnClick = [&headers](const ColumnList::Header& header) { headers.push_back(header.text); };
    errors.ItemClick = events.Note("row");
    errors.DblClick = events.Note("double");
    errors.UserClicksHeader(1);
    errors.UserClicks(2);
    errors.UserDoubleClicks(3);
    EXPECT_EQ(errors.SelectedRow(), 3);
    errors.SetEnabled(false);
    errors.UserClicksHeader(2);
    errors.UserDoubleClicks(0);
    EXPECT_EQ(headers, (std::vector<std::string>{"Car"}));
    EXPECT_EQ(events.seen, (std::vector<std::string>{"row", "double"}));
}

TEST(ColumnListTest, ReplacedRowsShowAsARefillWouldShowThem) {
    const std::vector<std::string> before = {"#1", "b", "x", "#2", "B", "y", "#3", "a", "z", "#4", "c", "w"};
    const std::vector<std::string> with = {"#5", "b", "v", "#6", "A", "u", "#7", "b", "t"};
    std::vector<std::string> after = before;
    after.erase(after.begin() + 3, after.begin() + 6);         // the second row goes,
    after.insert(after.begin() + 3, with.begin(), with.end()); // three come in its place
    for (const bool sorted : {false, true})
        for (const auto order : {ColumnList::Order::Ascending, ColumnList::Order::Descending}) {
            ColumnList spliced("lvErrors", {"", "Car", "Error"});
            ColumnList refilled("lvErrors", {"", "Car", "Error"});
            spliced.SetSort(sorted, 1, order);
            refilled.SetSort(sorted, 1, order);
            spliced.SetRows(before);
            spliced.SetSelectedRow(0);
            RecordingView view; // the list's view must hear of the new rows to show them
            spliced.AttachView(&view);
            spliced.ReplaceRows(1, 1, with);
            spliced.AttachView(nullptr);
            refilled.SetRows(after);
            EXPECT_EQ(ColumnTexts(spliced, 0), ColumnTexts(refilled, 0)) << sorted << static_cast<int>(order);
            EXPECT_TRUE(view.Heard(Aspect::Rows));
            EXPECT_EQ(spliced.SelectedRow(), -1) << "as after a refill";
        }
}

TEST(ControlViewTest, WhicheverSideGoesFirstCutsTheLink) {
    RecordingView view;
    {
        Label label("lblWeb");
        label.AttachView(&view);
        label.SetCaption("kestrix");
        label.SetUnderline(true);
        EXPECT_EQ(view.refreshed, (std::vector<Aspect>{Aspect::Caption, Aspect::Looks}));
    }
    EXPECT_TRUE(view.gone);

    auto gone = std::make_unique<RecordingView>();
    TextField field("txtAuthor");
    field.AttachView(gone.get());
    field.AttachView(nullptr);
    gone.reset();
    field.SetText("after the view"); // would reach a destroyed view if the link were kept
}
