#include "platform/control_probes.h"
#include "platform/controls.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace kestrix::platform;
using kestrix::test::ColumnTexts;
using kestrix::test::RecordingView;
using kestrix::test::RowTexts;

namespace {

struct Events {
    std::vector<std::string> seen;
    Event Note(std::string what) {
        return [this, what] { seen.push_back(what); };
    }
};

} // namespace

TEST(FocusTest, TheOldControlLosesTheFocusBeforeTheNewOneGetsItAndOptionsStepOverTheDisabled) {
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

    // Choosing an option clears the others, only choosing clicks, and the arrows skip what cannot be chosen.
    OptionButton lowest("optStats0"), highest("optStats1"), copy("optStats2");
    OptionButton::Group({&lowest, &highest, &copy});
    for (OptionButton* option : {&lowest, &highest, &copy})
        option->JoinFocusScope(scope);
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
    EXPECT_EQ(events.seen, (std::vector<std::string>{"mass got", "mass lost", "cars got", "lowest", "copy"}));

    lowest.SetEnabled(false);
    copy.UserSteps(1);
    EXPECT_TRUE(highest.Value()) << "round the end, over the disabled one";
}

TEST(ButtonsTest, DisabledControlsTakeNoClickAndFieldsAndBoxesChangeOnlyOnANewValue) {
    Events events;
    TextField field("txtStat1");
    field.Change = events.Note("change");
    field.SetText("1500");
    field.SetText("1500");
    field.UserTypes("1700");
    field.SetEnabled(false);
    field.UserTypes("9");
    EXPECT_EQ(field.Text(), "1700");
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
    EXPECT_EQ(events.seen, (std::vector<std::string>{"change", "change", "button", "abs", "abs", "page"}));

    TickList flags("lvFlags");
    flags.SetEntries({"1G_BOOST", "2G_BOOST", "REV_BONNET"});
    flags.Click = events.Note("click");
    flags.UserClicks(1, true);
    flags.UserClicks(1, false);
    flags.UserMovesTo(2);
    flags.UserMovesTo(2);
    flags.SetTicked(0, true);
    flags.SetTicked(0, true);
    flags.SetEnabled(false);
    flags.UserClicks(0, true);
    EXPECT_EQ(events.seen.size(), 6u + 4u)
        << "a move to where it is, or a tick from code that changes nothing, clicks not";
}

TEST(DropDownTest, SortedInsertKeepsTheSelectionUserPicksRaiseTheirEventsAndAWholeListReadsAsAddedOneByOne) {
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

    // A whole list given at once must read as the same entries added one by one.
    std::mt19937 random(3);
    const std::vector<std::string> names{"apple", "Apple", "APPLE", "mango", "Mango2", "", "a b", "a"};
    for (int round = 0; round < 40; ++round) {
        DropDown added("one", Sorting::Sorted), given("all", Sorting::Sorted);
        std::vector<DropDown::Entry> entries;
        for (int i = 0, count = static_cast<int>(random() % 60); i < count; ++i)
            added.AddItem(entries.emplace_back(DropDown::Entry{names[random() % names.size()], i}).text, i);
        given.SetEntries(entries);
        ASSERT_EQ(given.ListCount(), added.ListCount());
        for (int i = 0; i < added.ListCount(); ++i)
            ASSERT_TRUE(given.List(i) == added.List(i) && given.ItemData(i) == added.ItemData(i)) << round;
    }
}

TEST(TickTreeTest, AnEntryIsTickedThroughItsValuesAndEachUserActionIsOneClick) {
    using enum TickTree::Key;
    using Place = TickTree::Place;
    Events events;
    RecordingView view;
    TickTree cars("tvCars");
    cars.AttachView(&view);
    cars.SetEntries({{"car", true, {{"mass", true}, {"flags", false}, {"speed", true}}},
                     {"new car", true, {}},
                     {"refused", false, {}}});
    cars.Click = events.Note("click");
    cars.SetTicked({0, -1}, true);
    EXPECT_EQ(std::tuple(cars.Ticked({0, 0}), cars.Ticked({0, 1}), cars.Ticked({0, -1})),
              std::tuple(true, false, true));
    cars.UserClicks({0, 2}, true);
    EXPECT_EQ(std::tuple(cars.TickOf({0, -1}), cars.IsOpen(0), view.Heard(Aspect::Rows)),
              std::tuple(TickTree::Tick::Partly, true, true));
    cars.UserClicks({2, -1}, true);
    EXPECT_FALSE(cars.UserPressesKey(Space) || cars.UserPressesKey(Right)) << "nothing to tick or open";
    cars.UserMovesTo({1, -1});
    cars.UserMovesTo({1, -1});
    cars.SetEnabled(false);
    cars.UserClicks({1, -1}, true);
    EXPECT_EQ(events.seen.size(), 4u)
        << "each action once; moving to where it is, or nothing enabled, clicks not";
    cars.SetEnabled(true);
    cars.SetCurrent({0, 1});
    cars.SetOpen(0, false);
    EXPECT_EQ(cars.Current(), (Place{0, -1})) << "closing leaves no hidden value current";
}

TEST(ColumnListTest, SortedRowsAreReadInTheOrderShownAndReplacedRowsAsARefillWouldShowThem) {
    ColumnList errors("lvErrors", {"", "Car", "Error"});
    errors.SetRows({"#9", "juniper", "b", "#1", "MARSHAL", "a", "#13", "Juniper", "c", "#2", "juniper", "d"});
    errors.SetSelectedRow(1);
    errors.SetSort(true, 1, ColumnList::Order::Ascending);
    EXPECT_EQ(ColumnTexts(errors, 2), (std::vector<std::string>{"c", "b", "d", "a"}))
        << "case-insensitive, then exact bytes, then the order the rows came in";
    EXPECT_EQ(errors.Cell(errors.SelectedRow(), 0), "#1") << "the selection follows its row";
    errors.SetSort(true, 0, ColumnList::Order::Ascending);
    EXPECT_EQ(ColumnTexts(errors, 0), (std::vector<std::string>{"#1", "#13", "#2", "#9"}))
        << "numbers sort as text";
    EXPECT_EQ(errors.CopyText(),
              "\tCar\tError\n#1\tMARSHAL\ta\n#13\tJuniper\tc\n#2\tjuniper\td\n#9\tjuniper\tb\n");

    // Whatever the sort, rows replaced in place show as a refill with the same
    // rows would show them, the view hears of it, and no row stays selected.
    std::mt19937 random(3);
    int made = 0; // the last cell tells rows of equal keys apart
    const auto rows = [&](std::size_t count) {
        std::vector<std::string> cells;
        for (std::size_t row = 0; row < count; ++row)
            cells.insert(cells.end(), {"#" + std::to_string(random() % 12),
                                       std::string(1, "aAbB"[random() % 4]), std::to_string(made++)});
        return cells;
    };
    for (int round = 0; round < 500; ++round) {
        std::vector<std::string> cells = rows(random() % 80);
        const int count = static_cast<int>(cells.size() / 3),
                  first = static_cast<int>(random() % (count + 1));
        const int removed = static_cast<int>(random() % (count - first + 1));
        const std::vector<std::string> with = rows(random() % (random() % 2 ? 5 : 100)); // few or many
        ColumnList spliced("lvErrors", {"", "Car", "Error"}), refilled("lvErrors", {"", "Car", "Error"});
        spliced.SetSort(random() % 4 != 0, static_cast<int>(random() % 3),
                        random() % 2 ? ColumnList::Order::Ascending : ColumnList::Order::Descending);
        refilled.SetSort(spliced.Sorted(), spliced.SortKey(), spliced.SortOrder());
        spliced.SetRows(cells);
        spliced.SetSelectedRow(0);
        RecordingView view;
        spliced.AttachView(&view);
        spliced.ReplaceRows(first, removed, with);
        spliced.AttachView(nullptr);
        const auto at = [&cells](int row) { return cells.begin() + 3 * row; };
        cells.insert(cells.erase(at(first), at(first + removed)), with.begin(), with.end());
        refilled.SetRows(cells);
        ASSERT_EQ(RowTexts(spliced), RowTexts(refilled)) << "round " << round;
        ASSERT_TRUE(view.Heard(Aspect::Rows));
        ASSERT_EQ(spliced.SelectedRow(), -1) << "as after a refill";
    }
}

namespace {

bool Overlaps(const Placement& a, const Placement& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool ClearOf(const Placement& place, const std::vector<OpenWindow>& open) {
    return std::none_of(open.begin(), open.end(),
                        [&place](const OpenWindow& w) { return Overlaps(place, w.place); });
}

bool Inside(const Placement& inner, const Placement& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

// Whether a window of this size fits somewhere on the screen clear of the others. Pushed left and up until
// something stops it, a window that fits stands at the screen's edge or at another window's far edge.
bool RoomFor(const Placement& screen, const std::vector<OpenWindow>& open, int width, int height) {
    std::vector<int> lefts{screen.left}, tops{screen.top};
    for (const OpenWindow& window : open) {
        lefts.push_back(window.place.left + window.place.width);
        tops.push_back(window.place.top + window.place.height);
    }
    for (const int left : lefts)
        for (const int top : tops) {
            const Placement place{left, top, width, height};
            if (Inside(place, screen) && ClearOf(place, open))
                return true;
        }
    return false;
}

} // namespace

// Over random screens and windows: a new window lies wholly on the screen; it covers none of the open
// windows, at the wanted size where there is room for it, else smaller but at least 640x480 (or its least);
// and where even that has no room, it lies over the window used least recently.
TEST(PlacementTest, ANewWindowStaysOnTheScreenClearOfTheOthersOrOverTheLeastUsed) {
    std::mt19937 random(20240611);
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution(low, high)(random);
    };
    int clear = 0, smaller = 0, over = 0;
    for (int round = 0; round < 3000; ++round) {
        const Placement screen{between(-1600, 1600), between(-50, 50), between(700, 2600),
                               between(500, 1600)};
        std::vector<OpenWindow> open(static_cast<std::size_t>(between(0, 5)));
        std::vector<long long> uses(open.size());
        std::iota(uses.begin(), uses.end(), 0);
        std::shuffle(uses.begin(), uses.end(), random);
        for (std::size_t i = 0; i < open.size(); ++i)
            open[i] = {{between(screen.left - 150, screen.left + screen.width - 100),
                        between(screen.top - 100, screen.top + screen.height - 100), between(200, 1400),
                        between(150, 1000)},
                       uses[i]};
        const Placement wanted{0, 0, between(300, 1800), between(200, 1200)};
        const Placement least{0, 0, between(100, wanted.width), between(100, wanted.height)};
        const Placement place = PlaceNewWindow(screen, open, wanted, least);
        SCOPED_TRACE(PlacementText(screen) + " wanted " + PlacementText(wanted) + " at " +
                     PlacementText(place));
        ASSERT_TRUE(Inside(place, screen));
        ASSERT_LE(place.width, wanted.width);
        ASSERT_LE(place.height, wanted.height);
        const int leastWidth = std::min({wanted.width, screen.width, std::max(least.width, 640)});
        const int leastHeight = std::min({wanted.height, screen.height, std::max(least.height, 480)});
        ASSERT_GE(place.width, leastWidth);
        ASSERT_GE(place.height, leastHeight);
        const bool coversNone = ClearOf(place, open);
        const int width = std::min(wanted.width, screen.width),
                  height = std::min(wanted.height, screen.height);
        if (RoomFor(screen, open, width, height)) {
            ASSERT_TRUE(coversNone);
            ASSERT_EQ(place.width, width);
            ASSERT_EQ(place.height, height);
            ++clear;
        } else if (RoomFor(screen, open, leastWidth, leastHeight)) {
            ASSERT_TRUE(coversNone);
            ++smaller;
        } else {
            // Over the window used least recently, and clear of the others where they leave room for it.
            std::vector<OpenWindow> others = open;
            const auto oldest =
                std::min_element(others.begin(), others.end(),
                                 [](const auto& a, const auto& b) { return a.lastUse < b.lastUse; });
            ASSERT_TRUE(Overlaps(place, oldest->place));
            ASSERT_EQ(place.width, leastWidth) << "at its least size, to cover least";
            ASSERT_EQ(place.height, leastHeight);
            others.erase(oldest);
            ASSERT_TRUE(ClearOf(place, others) || !RoomFor(screen, others, leastWidth, leastHeight));
            ++over;
        }
    }
    EXPECT_GT(clear, 100);
    EXPECT_GT(smaller, 100);
    EXPECT_GT(over, 100);
}
