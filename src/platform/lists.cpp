#include "platform/lists.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <utility>

namespace kestrix::platform {

namespace {

// Makes changes without raising the event, so that one user action raises it once.
void Quietly(Event& event, const std::function<void()>& change) {
    const Event raised = std::exchange(event, nullptr);
    change();
    event = raised;
}

bool DropDownEntryBefore(const DropDown::Entry& a, const DropDown::Entry& b) {
    if (SortsBefore(a.text, b.text))
        return true;
    return a.text == b.text && a.data < b.data;
}

// Replaces count items from first by the given ones; the items after them
// move only when the counts differ.
template <typename T>
void ReplaceRange(std::vector<T>& items, std::size_t first, std::size_t count, std::vector<T>&& with) {
    const std::size_t common = std::min(count, with.size());
    const auto at = [&items](std::size_t i) { return items.begin() + static_cast<std::ptrdiff_t>(i); };
    const auto from = [&with](std::size_t i) { return with.begin() + static_cast<std::ptrdiff_t>(i); };
    std::move(from(0), from(common), at(first));
    if (count > common)
        items.erase(at(first + common), at(first + count));
    else
        items.insert(at(first + common), std::make_move_iterator(from(common)),
                     std::make_move_iterator(with.end()));
}

} // namespace

void DropDown::Clear() {
    entries_.clear();
    listIndex_ = -1;
    Notify(Aspect::Entries);
}

int DropDown::AddItem(std::string text, int data) {
    auto place = entries_.end();
    Entry entry{std::move(text), data};
    if (sorted_)
        place = std::upper_bound(entries_.begin(), entries_.end(), entry, DropDownEntryBefore);
    const int position = static_cast<int>(place - entries_.begin());
    entries_.insert(place, std::move(entry));
    if (listIndex_ >= position)
        ++listIndex_;
    Notify(Aspect::Entries);
    return position;
}

void DropDown::SetEntries(std::vector<Entry> entries) {
    if (sorted_)
        entries = SortedEntries(std::move(entries));
    entries_ = std::move(entries);
    listIndex_ = -1;
    Notify(Aspect::Entries);
}

void DropDown::Renumber(const std::function<int(int)>& renumber) {
    for (Entry& entry : entries_)
        entry.data = renumber(entry.data);
    for (auto run = entries_.begin(); sorted_ && run != entries_.end();) {
        const auto end =
            std::find_if(run, entries_.end(), [&run](const Entry& entry) { return entry.text != run->text; });
        std::sort(run, end, [](const Entry& a, const Entry& b) { return a.data < b.data; });
        run = end;
    }
}

// The order of AddItem, for a whole list at once: each text is folded once,
// not at every comparison, and the entries are put in order where they lie,
// which keeps opening a file of thousands of cars quick and small.
std::vector<DropDown::Entry> DropDown::SortedEntries(std::vector<Entry> entries) {
    const std::size_t count = entries.size();
    std::string folded;
    std::vector<std::uint32_t> foldedEnds(count);
    for (std::size_t i = 0; i < count; ++i) {
        for (const char c : entries[i].text)
            folded.push_back(static_cast<char>(FoldCase(static_cast<unsigned char>(c))));
        foldedEnds[i] = static_cast<std::uint32_t>(folded.size());
    }
    const auto foldedText = [&](std::size_t i) {
        const std::size_t start = i == 0 ? 0 : foldedEnds[i - 1];
        return std::string_view(folded).substr(start, foldedEnds[i] - start);
    };
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (const int compared = foldedText(a).compare(foldedText(b)); compared != 0)
            return compared < 0;
        if (const int compared = entries[a].text.compare(entries[b].text); compared != 0)
            return compared < 0;
        return entries[a].data != entries[b].data ? entries[a].data < entries[b].data : a < b;
    });
    // Each place takes the entry its order names, one cycle of places at a time.
    constexpr std::uint32_t kPlaced = UINT32_MAX;
    for (std::size_t i = 0; i < count; ++i) {
        if (order[i] == kPlaced)
            continue;
        Entry held = std::move(entries[i]);
        std::size_t place = i;
        for (;;) {
            const std::size_t from = std::exchange(order[place], kPlaced);
            if (from == i) {
                entries[place] = std::move(held);
                break;
            }
            entries[place] = std::move(entries[from]);
            place = from;
        }
    }
    return entries;
}

void DropDown::SetListIndex(int position) {
    if (position < -1 || position >= ListCount())
        return;
    listIndex_ = position;
    Notify(Aspect::Selection);
    if (position >= 0)
        Raise(Click);
}

bool DropDown::SelectText(std::string_view text) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [text](const Entry& entry) { return entry.text == text; });
    if (found == entries_.end())
        return false;
    SetListIndex(static_cast<int>(found - entries_.begin()));
    return true;
}

void DropDown::UserPicks(int position) {
    if (!Enabled())
        return;
    Raise(DropDownOpening);
    UserSteps(position);
}

void DropDown::UserSteps(int position) {
    if (!Enabled() || position < 0 || position >= ListCount())
        return;
    Raise(UserSelecting);
    SetListIndex(position);
}

void TickList::SetEntries(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    ticks_.assign(entries_.size(), false);
    current_ = -1;
    Notify(Aspect::Entries);
}

void TickList::SetTicked(int index, bool ticked) {
    if (ticks_.at(static_cast<std::size_t>(index)) == ticked)
        return;
    ticks_[static_cast<std::size_t>(index)] = ticked;
    Notify(Aspect::Ticks);
    Raise(Click);
}

void TickList::SetCurrent(int index) {
    if (index < 0 || index >= Count() || index == current_)
        return;
    current_ = index;
    Notify(Aspect::Selection);
    Raise(Click);
}

void TickList::UserClicks(int index, bool onTheBox) {
    if (!Enabled() || index < 0 || index >= Count())
        return;
    // One user action, one event, also when it changes nothing.
    Quietly(Click, [&] {
        SetCurrent(index);
        if (onTheBox)
            SetTicked(index, !Ticked(index));
    });
    Raise(Click);
}

void TickList::UserMovesTo(int index) {
    if (Enabled())
        SetCurrent(index);
}

void TickTree::SetEntries(std::vector<Entry> entries) {
    entries_ = std::move(entries);
    ticks_.clear();
    for (const Entry& entry : entries_)
        ticks_.emplace_back(std::max<std::size_t>(entry.values.size(), 1), false);
    open_.assign(entries_.size(), false);
    current_ = {};
    Notify(Aspect::Entries);
}

bool TickTree::Holds(Place place) const {
    return place.entry >= 0 && place.entry < Count() && place.value >= -1 &&
           place.value < static_cast<int>(EntryAt(place.entry).values.size());
}

bool TickTree::Tickable(Place place) const {
    const Entry& entry = EntryAt(place.entry);
    if (place.value >= 0)
        return entry.values.at(static_cast<std::size_t>(place.value)).tickable;
    if (entry.values.empty())
        return entry.tickable;
    return std::any_of(entry.values.begin(), entry.values.end(),
                       [](const Value& value) { return value.tickable; });
}

TickTree::Tick TickTree::TickOf(Place place) const {
    const std::vector<bool>& ticks = ticks_.at(static_cast<std::size_t>(place.entry));
    if (place.value >= 0)
        return ticks.at(static_cast<std::size_t>(place.value)) ? Tick::All : Tick::None;
    std::size_t tickable = 0, ticked = 0;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        if (Tickable({place.entry, EntryAt(place.entry).values.empty() ? -1 : static_cast<int>(i)})) {
            ++tickable;
            ticked += ticks[i];
        }
    }
    if (ticked == 0)
        return Tick::None;
    return ticked == tickable ? Tick::All : Tick::Partly;
}

void TickTree::SetTicked(Place place, bool ticked) {
    if (!Holds(place) || !Tickable(place))
        return;
    std::vector<bool>& ticks = ticks_[static_cast<std::size_t>(place.entry)];
    bool changed = false;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const int value = EntryAt(place.entry).values.empty() ? -1 : static_cast<int>(i);
        if ((place.value < 0 || place.value == value) && Tickable({place.entry, value}) &&
            ticks[i] != ticked) {
            ticks[i] = ticked;
            changed = true;
        }
    }
    if (!changed)
        return;
    Notify(Aspect::Ticks);
    Raise(Click);
}

void TickTree::SetOpen(int entry, bool open) {
    if (!Holds({entry, -1}) || EntryAt(entry).values.empty() || IsOpen(entry) == open)
        return;
    open_[static_cast<std::size_t>(entry)] = open;
    Notify(Aspect::Rows);
    if (!open && current_.entry == entry)
        SetCurrent({entry, -1});
}

void TickTree::SetCurrent(Place place) {
    if (!Holds(place) || place == current_)
        return;
    if (place.value >= 0)
        SetOpen(place.entry, true);
    current_ = place;
    Notify(Aspect::Selection);
    Raise(Click);
}

void TickTree::UserClicks(Place place, bool onTheBox) {
    if (!Enabled() || !Holds(place))
        return;
    // One user action, one event, also when it changes nothing.
    Quietly(Click, [&] {
        SetCurrent(place);
        if (onTheBox)
            SetTicked(place, TickOf(place) != Tick::All);
    });
    Raise(Click);
}

void TickTree::UserMovesTo(Place place) {
    if (Enabled())
        SetCurrent(place);
}

void TickTree::UserOpens(int entry, bool open) {
    if (Enabled())
        SetOpen(entry, open);
}

bool TickTree::UserPressesKey(Key key) {
    if (!Enabled() || !Holds(current_))
        return false;
    const Place at = current_;
    const bool hasValues = !EntryAt(at.entry).values.empty();
    switch (key) {
    case Key::Space:
        if (!Tickable(at))
            return false;
        UserClicks(at, true);
        return true;
    case Key::Right:
        if (at.value >= 0 || !hasValues)
            return false;
        if (IsOpen(at.entry))
            SetCurrent({at.entry, 0});
        else
            SetOpen(at.entry, true);
        return true;
    case Key::Left:
        if (at.value >= 0)
            SetCurrent({at.entry, -1});
        else if (IsOpen(at.entry))
            SetOpen(at.entry, false);
        else
            return false;
        return true;
    }
    return false;
}

int ListBox::AddItem(std::string text) {
    auto place = entries_.end();
    if (sorted_)
        place = std::upper_bound(entries_.begin(), entries_.end(), text,
                                 [](const std::string& t, const Entry& e) { return SortsBefore(t, e.text); });
    const int position = static_cast<int>(place - entries_.begin());
    entries_.insert(place, Entry{std::move(text), false});
    if (anchor_ >= position)
        ++anchor_;
    Notify(Aspect::Entries);
    return position;
}

void ListBox::AddItems(std::vector<std::string> texts) {
    if (texts.empty())
        return;
    const std::size_t before = entries_.size();
    for (std::string& text : texts)
        entries_.push_back(Entry{std::move(text), false});
    if (sorted_) {
        const auto byText = [](const Entry& a, const Entry& b) { return SortsBefore(a.text, b.text); };
        std::stable_sort(entries_.begin() + static_cast<std::ptrdiff_t>(before), entries_.end(), byText);
        // Each new entry after those already there with an equal text, as one AddItem after another puts it.
        std::inplace_merge(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(before),
                           entries_.end(), byText);
    }
    anchor_ = -1;
    Notify(Aspect::Entries);
}

void ListBox::Clear() {
    entries_.clear();
    anchor_ = -1;
    Notify(Aspect::Entries);
}

std::vector<std::string> ListBox::TakeSelected() {
    std::vector<std::string> taken;
    // Nothing is moved out of the entries unless some go: with none selected they stay as they are.
    if (std::none_of(entries_.begin(), entries_.end(), [](const Entry& entry) { return entry.selected; }))
        return taken;
    std::vector<Entry> kept;
    for (Entry& entry : entries_)
        (entry.selected ? taken.emplace_back(std::move(entry.text))
                        : kept.emplace_back(std::move(entry)).text);
    entries_ = std::move(kept);
    anchor_ = -1;
    Notify(Aspect::Entries);
    return taken;
}

int ListBox::ListIndex() const {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.selected; });
    return found == entries_.end() ? -1 : static_cast<int>(found - entries_.begin());
}

void ListBox::SetListIndex(int position) {
    if (position < -1 || position >= ListCount())
        return;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        entries_[i].selected = static_cast<int>(i) == position;
    anchor_ = position;
    Notify(Aspect::Selection);
}

void ListBox::UserClicks(int position, Pick pick) {
    if (!Enabled() || position < 0 || position >= ListCount())
        return;
    if (!multiple_ || pick == Pick::Only) {
        for (Entry& entry : entries_)
            entry.selected = false;
        entries_[static_cast<std::size_t>(position)].selected = true;
        anchor_ = position;
    } else if (pick == Pick::Toggle) {
        entries_[static_cast<std::size_t>(position)].selected = !Selected(position);
        anchor_ = position;
    } else {
        const int from = anchor_ < 0 ? position : anchor_;
        for (int i = 0; i < ListCount(); ++i)
            entries_[static_cast<std::size_t>(i)].selected =
                i >= std::min(from, position) && i <= std::max(from, position);
    }
    Notify(Aspect::Selection);
    Raise(Click);
}

void ListBox::UserSelectsAll() {
    if (!Enabled() || !multiple_ || entries_.empty())
        return;
    for (Entry& entry : entries_)
        entry.selected = true;
    Notify(Aspect::Selection);
    Raise(Click);
}

void ListBox::UserDoubleClicks(int position) {
    if (!Enabled() || position < 0 || position >= ListCount())
        return;
    UserClicks(position);
    Raise(DblClick);
}

const std::string& ColumnList::Cell(int row, int column) const {
    const std::size_t at =
        static_cast<std::size_t>(order_.at(static_cast<std::size_t>(row)) * ColumnCount() + column);
    return cells_.at(at);
}

std::string ColumnList::CopyText() const {
    std::string text;
    const auto line = [&text, this](const auto& cellOf) {
        for (int column = 0; column < ColumnCount(); ++column)
            text.append(column ? "\t" : "").append(cellOf(column));
        text += '\n';
    };
    line([this](int column) -> const std::string& { return headers_[static_cast<std::size_t>(column)]; });
    for (int row = 0; row < RowCount(); ++row)
        line([this, row](int column) -> const std::string& { return Cell(row, column); });
    return text;
}

void ColumnList::SetRows(std::vector<std::string> cells) {
    cells_ = std::move(cells);
    const std::size_t rows = ColumnCount() ? cells_.size() / static_cast<std::size_t>(ColumnCount()) : 0;
    cells_.resize(rows * static_cast<std::size_t>(ColumnCount()));
    order_.resize(rows);
    std::iota(order_.begin(), order_.end(), 0);
    selectedRow_ = -1;
    Reorder();
}

void ColumnList::ReplaceRows(int first, int removed, std::vector<std::string> cells) {
    const std::size_t columns = static_cast<std::size_t>(ColumnCount());
    first = std::clamp(first, 0, static_cast<int>(cells_.size() / std::max<std::size_t>(columns, 1)));
    removed =
        std::clamp(removed, 0, static_cast<int>(cells_.size() / std::max<std::size_t>(columns, 1)) - first);
    const int added = columns ? static_cast<int>(cells.size() / columns) : 0;
    cells.resize(static_cast<std::size_t>(added) * columns);
    ReplaceRange(cells_, static_cast<std::size_t>(first) * columns,
                 static_cast<std::size_t>(removed) * columns, std::move(cells));
    selectedRow_ = -1;

    if (!sorted_ || columns == 0) {
        order_.resize(cells_.size() / std::max<std::size_t>(columns, 1));
        std::iota(order_.begin(), order_.end(), 0);
        Notify(Aspect::Rows);
        return;
    }
    // The rows that stay keep their order: rows after the replaced ones only
    // move by the same count, so they still come after the rows before them.
    std::vector<int> kept;
    kept.reserve(order_.size());
    for (const int row : order_) {
        if (row < first)
            kept.push_back(row);
        else if (row >= first + removed)
            kept.push_back(row - removed + added);
    }
    std::vector<int> fresh(static_cast<std::size_t>(added));
    std::iota(fresh.begin(), fresh.end(), first);
    const auto before = [this](int a, int b) { return ShowsBefore(a, b); };
    // A few new rows are each found their place; many are sorted and merged.
    constexpr std::size_t kFewRows = 64;
    if (fresh.size() <= kFewRows) {
        for (const int row : fresh)
            kept.insert(std::lower_bound(kept.begin(), kept.end(), row, before), row);
        order_ = std::move(kept);
    } else {
        std::sort(fresh.begin(), fresh.end(), before);
        order_.resize(kept.size() + fresh.size());
        std::merge(kept.begin(), kept.end(), fresh.begin(), fresh.end(), order_.begin(), before);
    }
    Notify(Aspect::Rows);
}

// Whether the row that came as a is shown before the one that came as b.
bool ColumnList::ShowsBefore(int a, int b) const {
    const std::string& x = cells_[static_cast<std::size_t>(a * ColumnCount() + sortKey_)];
    const std::string& y = cells_[static_cast<std::size_t>(b * ColumnCount() + sortKey_)];
    const int compared = InOrder(CompareSorted(x, y), sortOrder_);
    return compared != 0 ? compared < 0 : a < b;
}

void ColumnList::SetSort(bool sorted, int sortKey, Order order) {
    sorted_ = sorted;
    sortKey_ = std::clamp(sortKey, 0, std::max(ColumnCount() - 1, 0));
    sortOrder_ = order;
    Reorder();
}

void ColumnList::SortByHeader(int column) {
    SetSort(true, column, OrderAfterHeaderClick(column, sortKey_, sortOrder_));
}

void ColumnList::Reorder() {
    if (sorted_ && ColumnCount() > 0) {
        const int shown = selectedRow_ >= 0 ? order_[static_cast<std::size_t>(selectedRow_)] : -1;
        std::stable_sort(order_.begin(), order_.end(), [this](int a, int b) { return ShowsBefore(a, b); });
        if (shown >= 0)
            selectedRow_ = static_cast<int>(std::find(order_.begin(), order_.end(), shown) - order_.begin());
    }
    Notify(Aspect::Rows);
}

void ColumnList::SetSelectedRow(int row) {
    if (row < -1 || row >= RowCount())
        return;
    selectedRow_ = row;
    Notify(Aspect::Selection);
}

void ColumnList::UserClicksHeader(int column) {
    if (!Enabled() || column < 0 || column >= ColumnCount())
        return;
    if (ColumnClick)
        ColumnClick(Header{column, headers_[static_cast<std::size_t>(column)]});
}

void ColumnList::UserClicks(int row) {
    if (!Enabled() || row < 0 || row >= RowCount())
        return;
    SetSelectedRow(row);
    Raise(ItemClick);
}

void ColumnList::UserDoubleClicks(int row) {
    if (!Enabled() || row < 0 || row >= RowCount())
        return;
    SetSelectedRow(row);
    Raise(DblClick);
}

bool ColumnList::UserPressesEnter() {
    if (!Enabled() || selectedRow_ < 0 || !DblClick)
        return false;
    Raise(DblClick);
    return true;
}

} // namespace kestrix::platform
