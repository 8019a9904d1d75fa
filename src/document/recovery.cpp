#include "document/recovery.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>
#include <utility>

namespace kestrix {

namespace {

// A record is a step done ('C' and the change), or the last step undone ('U')
// or the next one redone ('R'). Numbers are decimal and end in ';', texts are
// their length and their bytes.
constexpr char kDone = 'C';
constexpr std::string_view kUndone = "U";
constexpr std::string_view kRedone = "R";

// Compaction waits until the records are this much larger than the steps.
constexpr std::size_t kSlackBytes = 64 * 1024;

class RecordWriter {
  public:
    explicit RecordWriter(char kind) : out_(1, kind) {}
    void Number(std::size_t number) {
        char digits[24];
        char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        *end++ = ';';
        out_.append(digits, end);
    }
    void Text(std::string_view text) {
        Number(text.size());
        out_.append(text);
    }
    void Rows(const std::vector<RowChange>& rows) {
        Number(rows.size());
        for (const RowChange& row : rows) {
            Number(static_cast<std::size_t>(row.row));
            Number(static_cast<std::size_t>(row.savedRow + 1));
            for (int column = 0; column < kStatCount; ++column)
                Text(row.car[column]);
        }
    }
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
};

class RecordReader {
  public:
    explicit RecordReader(std::string_view in) : in_(in) {}
    bool Ok() const { return ok_; }
    bool AtEnd() const { return in_.empty(); }

    std::size_t Number(std::size_t largest) {
        std::size_t number = 0;
        std::size_t digits = 0;
        while (digits < in_.size() && in_[digits] >= '0' && in_[digits] <= '9' && digits < 10)
            number = number * 10 + static_cast<std::size_t>(in_[digits++] - '0');
        if (digits == 0 || digits >= in_.size() || in_[digits] != ';' || number > largest) {
            ok_ = false;
            in_ = {};
            return 0;
        }
        in_.remove_prefix(digits + 1);
        return number;
    }
    int Row() { return static_cast<int>(Number(std::numeric_limits<int>::max() / 2)); }
    std::string_view Text() {
        const std::size_t length = Number(in_.size());
        const std::string_view text = in_.substr(0, length);
        in_.remove_prefix(text.size());
        return text;
    }
    std::vector<RowChange> Rows() {
        std::vector<RowChange> rows(Number(in_.size() / (2 + 2 * kStatCount)));
        for (RowChange& row : rows) {
            row.row = Row();
            row.savedRow = Row() - 1;
            std::array<std::string_view, kStatCount> values;
            for (std::string_view& value : values)
                value = Text();
            row.car.Assign(values.data(), kStatCount);
        }
        return rows;
    }

  private:
    std::string_view in_;
    bool ok_ = true;
};

std::string RecordOf(const Change& change) {
    RecordWriter out(kDone);
    out.Number(static_cast<std::size_t>(change.kind));
    out.Text(change.caption);
    out.Number(change.cells.size());
    for (const CellChange& cell : change.cells) {
        out.Number(static_cast<std::size_t>(cell.row));
        out.Number(static_cast<std::size_t>(cell.column));
        out.Text(cell.before);
        out.Text(cell.after);
    }
    out.Rows(change.removed);
    out.Rows(change.added);
    out.Number(change.texts.size());
    for (const TextChange& text : change.texts) {
        out.Number(static_cast<std::size_t>(text.text));
        out.Text(text.before);
        out.Text(text.after);
    }
    return out.Take();
}

std::optional<Change> ChangeOfRecord(std::string_view record) {
    if (!record.starts_with(kDone))
        return std::nullopt;
    RecordReader in(record.substr(1));
    Change change;
    change.kind = static_cast<Change::Kind>(in.Number(static_cast<std::size_t>(Change::Kind::Texts)));
    change.caption = in.Text();
    change.cells.resize(in.Number(record.size() / 8));
    for (CellChange& cell : change.cells) {
        cell.row = in.Row();
        cell.column = static_cast<int>(in.Number(kStatCount - 1));
        cell.before = in.Text();
        cell.after = in.Text();
    }
    change.removed = in.Rows();
    change.added = in.Rows();
    change.texts.resize(in.Number(3));
    for (TextChange& text : change.texts) {
        text.text = static_cast<DocumentText>(in.Number(static_cast<std::size_t>(DocumentText::Author)));
        text.before = in.Text();
        text.after = in.Text();
    }
    if (!in.Ok() || !in.AtEnd() || change.Empty())
        return std::nullopt;
    return change;
}

std::string CarNamed(const CarTable& cars, int row) {
    return "car " + std::to_string(row + 1) + " ('" +
           std::string(cars[static_cast<std::size_t>(row)][VehicleIdentifier]) + "')";
}

std::string& TextIn(HandlingDocument& doc, DocumentText text) {
    return text == DocumentText::BeforeComments  ? doc.BeforeComments
           : text == DocumentText::AfterComments ? doc.AfterComments
                                                 : doc.Author;
}

// Does the change to doc as DoChange would, when doc still holds what the
// change replaces; else returns why not (doc is then partly changed).
std::string TryChange(HandlingDocument& doc, const Change& change) {
    CarTable& cars = doc.Cars;
    for (const CellChange& cell : change.cells) {
        if (cell.row >= static_cast<int>(cars.size()))
            return "the file has no car " + std::to_string(cell.row + 1);
        const std::string_view now = cars[static_cast<std::size_t>(cell.row)][cell.column];
        if (now != cell.before)
            return CarNamed(cars, cell.row) + " has \"" + std::string(now) + "\" as its " +
                   std::string(StatCatalogue::Instance()[cell.column].StatName) + ", not \"" + cell.before +
                   "\"";
        cars[static_cast<std::size_t>(cell.row)].Set(cell.column, cell.after);
    }
    for (auto removed = change.removed.rbegin(); removed != change.removed.rend(); ++removed) {
        if (removed->row >= static_cast<int>(cars.size()) ||
            cars[static_cast<std::size_t>(removed->row)] != removed->car)
            return "the car '" + std::string(removed->car[VehicleIdentifier]) + "' is no longer car " +
                   std::to_string(removed->row + 1) + " as it was";
        cars.erase(cars.begin() + removed->row);
    }
    for (const RowChange& added : change.added) {
        if (added.row > static_cast<int>(cars.size()))
            return "the file has fewer cars than " + std::to_string(added.row);
        cars.insert(cars.begin() + added.row, added.car);
    }
    for (const TextChange& text : change.texts) {
        std::string& now = TextIn(doc, text.text);
        if (now != text.before)
            return text.text == DocumentText::Author ? "its author is not as it was"
                                                     : "its comments are not as they were";
        now = text.after;
    }
    return {};
}

} // namespace

DocumentRecovery::DocumentRecovery(Document& doc) : doc_(doc) {
    doc_.SetRecorder(this);
}

DocumentRecovery::~DocumentRecovery() {
    doc_.SetRecorder(nullptr);
}

std::string DocumentRecovery::TakeProblem() {
    return std::exchange(problem_, {});
}

void DocumentRecovery::Close() {
    journal_.Remove();
    entries_.clear();
    position_ = 0;
    entryBytes_ = 0;
}

void DocumentRecovery::Fail(std::string problem) {
    Close();
    failed_ = true;
    problem_ = std::move(problem);
}

std::vector<LeftJournal> DocumentRecovery::LeftJournals(const std::string* file) const {
    std::vector<LeftJournal> journals;
    if (folder_.empty())
        return journals;
    for (LeftJournal& journal : FindLeftJournals(folder_, file)) {
        if (journal.error.empty() && journal.records.empty())
            DiscardJournal(journal);
        else
            journals.push_back(std::move(journal));
    }
    return journals;
}

void DocumentRecovery::Based(const Document& doc) {
    Close();
    if (failed_ || folder_.empty() || doc.FilePath().empty())
        return;
    if (std::string problem = journal_.Start(folder_, doc.FilePath()); !problem.empty())
        Fail(std::move(problem));
}

// The journal's steps follow the document's: an undo or redo that moves over
// the same step in the same direction is a short record; any other is a step
// of its own.
void DocumentRecovery::Stepped(const Change& change, std::uint64_t step, bool undone) {
    if (!journal_.Active())
        return;
    const bool last = position_ > 0 && entries_[position_ - 1].step == step;
    const bool next = position_ < entries_.size() && entries_[position_].step == step;
    if (last && entries_[position_ - 1].inverse != undone) {
        --position_;
        Write(kUndone);
    } else if (next && entries_[position_].inverse == undone) {
        ++position_;
        Write(kRedone);
    } else {
        Push(step, undone, RecordOf(undone ? InverseOf(change) : change));
    }
}

void DocumentRecovery::Push(std::uint64_t step, bool inverse, std::string record) {
    for (std::size_t i = position_; i < entries_.size(); ++i)
        entryBytes_ -= entries_[i].record.size();
    entries_.resize(position_);
    entryBytes_ += record.size();
    entries_.push_back({step, inverse, std::move(record)});
    ++position_;
    Write(entries_.back().record);
}

void DocumentRecovery::Write(std::string_view record) {
    if (std::string problem = journal_.Append(record); !problem.empty()) {
        Fail(std::move(problem));
        return;
    }
    // What the journal would hold written anew: each step, and an undo for each undone one.
    constexpr std::size_t frame = RecoveryJournal::kFrameBytes;
    const std::size_t needed =
        entryBytes_ + frame * entries_.size() + (frame + 1) * (entries_.size() - position_);
    if (journal_.Bytes() > 2 * needed + kSlackBytes)
        Compact();
}

void DocumentRecovery::Compact() {
    std::vector<std::string> records;
    records.reserve(entries_.size() * 2 - position_);
    for (const Entry& entry : entries_)
        records.push_back(entry.record);
    records.insert(records.end(), entries_.size() - position_, std::string(kUndone));
    if (std::string problem = journal_.Rewrite(records); !problem.empty())
        Fail(std::move(problem));
}

std::string ReplayJournal(Document& doc, const std::vector<std::string>& records) {
    // Every record is read and every step tried on a copy first, so that a
    // journal is applied whole or not at all.
    std::vector<std::optional<Change>> steps;
    steps.reserve(records.size());
    HandlingDocument trial = doc.Data();
    std::vector<const Change*> done;
    std::size_t position = 0;
    for (const std::string& record : records) {
        if (record == kUndone || record == kRedone) {
            const bool undo = record == kUndone;
            if (undo ? position == 0 : position == done.size())
                return "it is damaged: it takes back a step it does not hold";
            if (undo)
                UndoChange(trial, *done[--position]);
            else
                DoChange(trial, *done[position++]);
            steps.emplace_back();
            continue;
        }
        std::optional<Change> change = ChangeOfRecord(record);
        if (!change)
            return "it is damaged: a step cannot be read";
        if (std::string why = TryChange(trial, *change); !why.empty())
            return "the edit \"" + change->caption + "\" no longer applies: " + why;
        steps.push_back(std::move(change));
        done.resize(position);
        done.push_back(&*steps.back());
        ++position;
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i])
            doc.Commit(std::move(*steps[i]));
        else if (records[i] == kUndone)
            doc.Undo();
        else
            doc.Redo();
    }
    return {};
}

void DiscardJournal(const LeftJournal& journal) {
    std::remove(journal.path.c_str());
}

std::string SetJournalAside(const LeftJournal& journal) {
    const std::string aside = journal.path + ".refused";
    if (std::rename(journal.path.c_str(), aside.c_str()) != 0)
        return journal.path;
    return aside;
}

} // namespace kestrix
