#include "document/recovery.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <utility>

namespace kestrix {

namespace {

// A record is a step done ('C' and the change), a step of the file undone
// past it ('B' and the change), the last step undone ('U') or the next one
// redone ('R'). Numbers are decimal and end in ';', texts are their length
// and their bytes.
constexpr char kDone = 'C';
constexpr char kFileStep = 'B';
constexpr std::string_view kUndone = "U";
constexpr std::string_view kRedone = "R";

// Compaction waits until the records are this much larger than the steps.
constexpr std::size_t kSlackBytes = 64 * 1024;

// Counts the bytes a record will take, so that a bulk edit's record of
// megabytes is written into one allocation of its size.
class RecordSize {
  public:
    void Number(std::size_t number) {
        do {
            ++size_;
            number /= 10;
        } while (number != 0);
        ++size_;
    }
    void Text(std::string_view text) {
        Number(text.size());
        size_ += text.size();
    }
    std::size_t Size() const { return size_; }

  private:
    std::size_t size_ = 1;
};

class RecordWriter {
  public:
    RecordWriter(char kind, std::size_t size) : out_(size, '\0'), next_(out_.data()) { *next_++ = kind; }
    void Number(std::size_t number) {
        next_ = std::to_chars(next_, out_.data() + out_.size(), number).ptr;
        *next_++ = ';';
    }
    void Text(std::string_view text) {
        Number(text.size());
        for (const char c : text)
            *next_++ = c;
    }
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
    char* next_;
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

template <typename Out> void PutRows(Out& out, const std::vector<RowChange>& rows) {
    out.Number(rows.size());
    for (const RowChange& row : rows) {
        out.Number(static_cast<std::size_t>(row.row));
        out.Number(static_cast<std::size_t>(row.savedRow + 1));
        for (int column = 0; column < kStatCount; ++column)
            out.Text(row.car[column]);
    }
}

template <typename Out> void PutChange(Out& out, const Change& change) {
    out.Number(static_cast<std::size_t>(change.kind));
    out.Text(change.caption);
    out.Number(change.cells.size());
    for (const CellChange& cell : change.cells) {
        out.Number(static_cast<std::size_t>(cell.row));
        out.Number(static_cast<std::size_t>(cell.column));
        out.Text(cell.before);
        out.Text(cell.after);
    }
    PutRows(out, change.removed);
    PutRows(out, change.added);
    out.Number(change.texts.size());
    for (const TextChange& text : change.texts) {
        out.Number(static_cast<std::size_t>(text.text));
        out.Text(text.before);
        out.Text(text.after);
    }
}

std::string RecordOf(char kind, const Change& change) {
    RecordSize size;
    PutChange(size, change);
    RecordWriter out(kind, size.Size());
    PutChange(out, change);
    return out.Take();
}

std::optional<Change> ChangeOfRecord(std::string_view record) {
    if (!record.starts_with(kDone) && !record.starts_with(kFileStep))
        return std::nullopt;
    RecordReader in(record.substr(1));
    Change change;
    change.kind = static_cast<Change::Kind>(in.Number(static_cast<std::size_t>(Change::kLastKind)));
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

} // namespace

DocumentRecovery::DocumentRecovery(Document& doc, FileOperations& files)
    : doc_(doc), files_(files), journal_(files) {
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
    pendingFile_.clear();
    entries_.clear();
    settled_.clear();
    below_ = 0;
    position_ = 0;
    cutFrom_ = 0;
    recordBytes_ = 0;
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
    for (LeftJournal& journal : FindLeftJournals(folder_, file, files_)) {
        if (journal.error.empty() && journal.records.empty())
            DiscardJournal(journal, files_);
        else
            journals.push_back(std::move(journal));
    }
    return journals;
}

// The journal is started at the first step: a file only read has nothing to
// recover, and its opening waits for no disk.
void DocumentRecovery::Based(const Document& doc) {
    Close();
    if (!failed_ && !folder_.empty())
        pendingFile_ = doc.FilePath();
}

bool DocumentRecovery::StartJournal() {
    if (journal_.Active())
        return true;
    if (pendingFile_.empty())
        return false;
    if (std::string problem = journal_.Start(folder_, std::exchange(pendingFile_, {})); !problem.empty()) {
        Fail(std::move(problem));
        return false;
    }
    return true;
}

// The journal's steps follow the document's: an undo or redo that moves over
// a step the journal holds is a short record; a step undone past them all is
// one the file holds; any other is a step of its own.
void DocumentRecovery::Stepped(const Change& change, std::uint64_t step, bool undone) {
    if (!StartJournal())
        return;
    if (undone && position_ > 0) {
        --position_;
        Write(kUndone);
    } else if (undone) {
        std::string record = RecordOf(kFileStep, change);
        recordBytes_ += record.size();
        entries_.insert(entries_.begin(), {step, std::move(record)});
        ++below_;
        cutFrom_ = entries_.size();
        Write(entries_.front().record);
    } else if (position_ < entries_.size() && entries_[position_].step == step) {
        ++position_;
        Write(kRedone);
    } else {
        Push(step, RecordOf(kDone, change));
    }
}

// A commit drops the undone steps from the history; those of the file stay
// undone for good. Dropped steps that are the journal's last records are cut
// from it, so that a bulk edit done, undone and done again is not carried
// until the journal is written anew. A kill between the cut and the new record
// loses only the redo of the steps the commit was dropping.
void DocumentRecovery::Push(std::uint64_t step, std::string record) {
    if (position_ < entries_.size() && position_ >= std::max(below_, cutFrom_)) {
        const Entry& first = entries_[position_];
        if (std::string problem = journal_.CutBack(first.bytesBefore, first.recordsBefore);
            !problem.empty()) {
            Fail(std::move(problem));
            return;
        }
    }
    for (std::size_t i = entries_.size(); i-- > position_;) {
        if (i < below_)
            settled_.push_back(std::move(entries_[i].record));
        else
            recordBytes_ -= entries_[i].record.size();
    }
    below_ = std::min(below_, position_);
    entries_.resize(position_);
    recordBytes_ += record.size();
    entries_.push_back({step, std::move(record), journal_.Bytes(), journal_.RecordCount()});
    cutFrom_ = std::min(cutFrom_, position_);
    ++position_;
    Write(entries_.back().record);
}

void DocumentRecovery::Write(std::string_view record) {
    if (std::string problem = journal_.Append(record); !problem.empty()) {
        Fail(std::move(problem));
        return;
    }
    if (journal_.Bytes() > 2 * CompactedBytes() + kSlackBytes)
        Compact();
}

// The journal written anew: the steps of the file undone, nearest the file
// first, down to the first the history holds; those redone; the steps done
// since (the first drops the settled ones); then undone back to the position.
std::size_t DocumentRecovery::CompactedBytes() const {
    constexpr std::size_t frame = RecoveryJournal::kFrameBytes;
    return recordBytes_ + frame * (settled_.size() + entries_.size()) +
           (frame + 1) * (below_ + entries_.size() - position_);
}

void DocumentRecovery::Compact() {
    std::vector<std::string_view> records(settled_.begin(), settled_.end());
    records.reserve(settled_.size() + 2 * entries_.size() + below_);
    for (std::size_t i = below_; i-- > 0;)
        records.push_back(entries_[i].record);
    records.insert(records.end(), below_, kRedone);
    for (std::size_t i = below_; i < entries_.size(); ++i)
        records.push_back(entries_[i].record);
    records.insert(records.end(), entries_.size() - position_, kUndone);
    if (std::string problem = journal_.Rewrite(records); !problem.empty())
        Fail(std::move(problem));
    else
        MarkCompacted();
}

// Where the steps done since the file lie in the journal written anew: last, before the undos.
void DocumentRecovery::MarkCompacted() {
    const std::size_t undone = entries_.size() - position_;
    std::size_t bytes = journal_.Bytes() - undone * (RecoveryJournal::kFrameBytes + kUndone.size());
    std::size_t records = journal_.RecordCount() - undone;
    for (std::size_t i = entries_.size(); i-- > below_;) {
        bytes -= RecoveryJournal::kFrameBytes + entries_[i].record.size();
        entries_[i].bytesBefore = bytes;
        entries_[i].recordsBefore = --records;
    }
    cutFrom_ = below_;
}

std::string ReplayJournal(Document& doc, const std::vector<std::string>& records) {
    // Every record is read and every step tried on a copy first, so that a
    // journal is applied whole or not at all.
    struct Step {
        char kind = kDone;
        std::optional<Change> change;
    };
    std::vector<Step> steps;
    steps.reserve(records.size());
    HandlingDocument trial = doc.Data();
    std::vector<const Change*> history; // as the document will hold it
    std::size_t position = 0;
    const std::string holdsNot = "it is damaged: it takes back a step it does not hold";
    for (const std::string& record : records) {
        if (record == kUndone || record == kRedone) {
            const bool undo = record == kUndone;
            if (undo ? position == 0 : position == history.size())
                return holdsNot;
            if (undo)
                UndoChange(trial, *history[--position]);
            else
                DoChange(trial, *history[position++]);
            steps.push_back({record[0], std::nullopt});
            continue;
        }
        Step step{record.empty() ? kDone : record[0], ChangeOfRecord(record)};
        if (!step.change)
            return "it is damaged: a step cannot be read";
        const bool fileStep = step.kind == kFileStep;
        if (fileStep && (position != 0 || doc.CanUndo()))
            return holdsNot;
        if (std::string why = fileStep ? UndoChange(trial, *step.change) : DoChange(trial, *step.change);
            !why.empty())
            return "the edit \"" + step.change->caption + "\" no longer applies: " + why;
        steps.push_back(std::move(step));
        const Change* change = &*steps.back().change;
        if (fileStep) {
            history.insert(history.begin(), change);
            continue;
        }
        history.resize(position);
        history.push_back(change);
        ++position;
    }
    for (Step& step : steps) {
        if (step.kind == kDone && step.change)
            doc.Commit(std::move(*step.change));
        else if (step.kind == kFileStep)
            doc.RestoreUndone(std::move(*step.change));
        else if (step.kind == kUndone[0])
            doc.Undo();
        else
            doc.Redo();
    }
    return {};
}

// Follows the history as ReplayJournal builds it, reading only each step's caption.
JournalSteps StepsDoneIn(const std::vector<std::string>& records) {
    std::vector<std::string_view> history;
    std::size_t position = 0;
    for (const std::string& record : records) {
        if (record == kUndone || record == kRedone) {
            if (record == kUndone && position > 0)
                --position;
            else if (record == kRedone && position < history.size())
                ++position;
            continue;
        }
        RecordReader in(std::string_view(record).substr(std::min<std::size_t>(record.size(), 1)));
        in.Number(static_cast<std::size_t>(Change::kLastKind));
        const std::string_view caption = in.Text();
        if (record.starts_with(kFileStep)) {
            history.insert(history.begin(), caption);
            continue;
        }
        history.resize(position);
        history.push_back(caption);
        ++position;
    }
    return {position, position > 0 ? std::string(history[position - 1]) : std::string()};
}

std::string LostInJournal(const LeftJournal& journal) {
    if (!journal.cut)
        return {};
    return "The recovery journal \"" + journal.path +
           "\" ends inside the step that was being written when the editor ended: that last step of \"" +
           journal.file + "\" is lost, and the ones before it are recovered.";
}

} // namespace kestrix
