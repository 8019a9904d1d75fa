#include "document/document.h"
#include "document/recovery.h"
#include "handling_file/handling_format.h"
#include "sample_cars.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;

namespace {

// Records what the observers hear.
struct Listener : DocumentObserver {
    void DocumentChanged(const DocumentEvent& event) override {
        events.push_back(event.kind);
        splices.push_back(event.errors);
    }
    std::vector<DocumentEvent::Kind> events;
    std::vector<RowSplice> splices;
};

HandlingDocument Parsed(const std::string& text) {
    HandlingDocument doc;
    ApplyToDocument(std::move(ParseHandlingText(text).file), doc);
    doc.FilePath = "Handling.cfg";
    return doc;
}

CarRow CarOf(std::string_view name, std::string_view mass) {
    CarRow car;
    const std::string line = test::CarLine(std::string(name), std::string(mass));
    SplitCarLine(line, car);
    return car;
}

// A change of every kind the editor makes, chosen at random from the document as it is.
Change RandomChange(const Document& doc, std::mt19937& random) {
    const CarTable& cars = doc.Cars();
    const int count = static_cast<int>(cars.size());
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    switch (count == 0 ? 1 : pick(5)) {
    case 0: {
        std::vector<CellEdit> edits;
        for (int i = pick(6); i >= 0; --i)
            edits.push_back({pick(count), 1 + pick(kStatCount - 1), std::to_string(pick(3000))});
        return ValuesChange(cars, edits, "Set");
    }
    case 1:
        return AddCarChange(cars, CarOf("NEW" + std::to_string(pick(100)), std::to_string(pick(3000))));
    case 2:
        return DeleteCarChange(cars, pick(count));
    case 3:
        return RenameCarChange(cars, pick(count), "CAR" + std::to_string(pick(100)));
    default:
        return TextsChange(doc.Data(), {{DocumentText::Author, "AUTHOR" + std::to_string(pick(3))}},
                           "Author");
    }
}

// The count of changed values as the document should know it: each car that
// came from the file, value by value against the file.
std::size_t CountedChanges(const Document& doc) {
    std::size_t changed = 0;
    for (int row = 0; row < static_cast<int>(doc.Cars().size()); ++row)
        for (int column = 0; column < kStatCount; ++column)
            changed += doc.IsChangedValue(row, column);
    return changed;
}

} // namespace

TEST(DocumentTest, UndoAndRedoOfAnyChangesGiveBackEveryStateAndTheSavedStarAndMarks) {
    std::mt19937 random(17);
    for (int round = 0; round < 20; ++round) {
        Document doc;
        Listener listener;
        doc.Observe(listener);
        doc.Read(Parsed(test::GeneratedHandlingText(1 + round % 4)));
        std::vector<HandlingDocument> states{doc.Data()};
        const std::size_t savedAt = static_cast<std::size_t>(round % 5);
        for (int step = 0; step < 12; ++step) {
            if (states.size() - 1 == savedAt)
                doc.Saved("Saved.cfg");
            Change change = RandomChange(doc, random);
            if (change.Empty())
                continue;
            doc.Commit(std::move(change));
            states.push_back(doc.Data());
            ASSERT_EQ(doc.ChangedValueCount(), CountedChanges(doc));
        }
        for (std::size_t back = states.size() - 1; back > 0; --back) {
            ASSERT_TRUE(doc.CanUndo());
            doc.Undo();
            EXPECT_EQ(doc.Cars(), states[back - 1].Cars);
            EXPECT_EQ(doc.Data().Author, states[back - 1].Author);
            EXPECT_EQ(doc.Modified(), back - 1 != savedAt && savedAt < states.size())
                << "at step " << back - 1;
            ASSERT_EQ(doc.ChangedValueCount(), CountedChanges(doc));
        }
        EXPECT_FALSE(doc.CanUndo());
        for (std::size_t forward = 1; forward < states.size(); ++forward) {
            doc.Redo();
            EXPECT_EQ(doc.Cars(), states[forward].Cars);
            ASSERT_EQ(doc.ChangedValueCount(), CountedChanges(doc));
        }
        EXPECT_FALSE(doc.CanRedo());
        // The error register is always the whole check of the cars as they are.
        ErrorRegister whole;
        ErrorCheck(doc.Cars(), whole, NumberFormat{});
        ASSERT_EQ(doc.Errors().Rows().size(), whole.Rows().size());
        for (std::size_t i = 0; i < whole.Rows().size(); ++i)
            EXPECT_EQ(doc.Errors().Rows()[i].ExplanationString, whole.Rows()[i].ExplanationString);
        EXPECT_EQ(listener.events.size(), 1 + 3 * (states.size() - 1) + (savedAt < states.size() ? 1 : 0));
    }
}

TEST(DocumentTest, ACommitAfterUndoDropsTheRedoAndTheSavedStateOutOfReach) {
    Document doc;
    doc.Read(Parsed(test::CarLine("ONE") + "\r\n" + test::CarLine("TWO") + "\r\n"));
    doc.Commit(ValuesChange(doc.Cars(), {{0, 1, "1600"}}, "Mass"));
    doc.Saved("Handling.cfg");
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.ChangedValueCount(), 0u) << "the saved file is the new measure";
    doc.Undo();
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.ChangedValueCount(), 1u);
    doc.Commit(DeleteCarChange(doc.Cars(), 1));
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_EQ(doc.DeletedSavedRows(), std::vector<int>{1});
    doc.Undo();
    EXPECT_TRUE(doc.Modified()) << "the saved state was the dropped redo";
    doc.Commit(Change{});
    EXPECT_TRUE(doc.CanRedo()) << "an empty change is no step: the redo stays";
    doc.Read(Parsed(test::CarLine("ONE") + "\r\n"));
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.Modified());
}

TEST(DocumentTest, TypingShowsTheStarUntilACommitOrAnUndoSettlesIt) {
    Document doc;
    Listener listener;
    doc.Observe(listener);
    doc.Read(Parsed(test::CarLine("ONE") + "\r\n"));
    doc.NoteTyping();
    doc.NoteTyping();
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(listener.events, (std::vector{DocumentEvent::Kind::Read, DocumentEvent::Kind::State}))
        << "the star is news once";
    doc.Commit(ValuesChange(doc.Cars(), {{0, 1, "1600"}}, "Mass"));
    doc.Undo();
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(listener.splices.back(), (RowSplice{}));
    doc.Forget(listener);
    doc.Redo();
    EXPECT_EQ(listener.events.size(), 4u);
}

namespace {

// The journal as an editor killed now would leave it.
std::vector<std::string> Left(const DocumentRecovery& recovery) {
    const LeftJournal left = ReadJournal(recovery.Journal().Path());
    EXPECT_EQ(left.error, "");
    return left.records;
}

class Recovering : public test::TempFolderTest {};

} // namespace

TEST_F(Recovering, AJournalReplayedOnItsFileGivesBackTheDocumentAndEveryStepUndoable) {
    std::mt19937 random(21);
    for (int round = 0; round < 12; ++round) {
        Document doc;
        DocumentRecovery recovery(doc);
        recovery.SetFolder(Path("state"));
        doc.Read(Parsed(test::GeneratedHandlingText(1 + round % 4)));
        HandlingDocument disk = doc.Data();
        for (int step = 0; step < 40; ++step) {
            const unsigned action = random() % 8;
            if (action < 4)
                doc.Commit(RandomChange(doc, random));
            else if (action < 6)
                doc.Undo();
            else if (action == 6)
                doc.Redo();
            else if (random() % 2 == 0) {
                doc.Saved("Handling.cfg"); // the file on disk is now the document
                disk = doc.Data();
            }
        }
        if (round == 5) {
            // Undo and redo without end: the journal is written anew from its steps, an undone one included.
            doc.Commit(AddCarChange(doc.Cars(), CarOf("FIRST", "1")));
            doc.Commit(AddCarChange(doc.Cars(), CarOf("SECOND", "2")));
            doc.Undo();
            for (int flip = 0; flip < 4000; ++flip) {
                doc.Undo();
                doc.Redo();
            }
            EXPECT_LT(recovery.Journal().Bytes(), 80'000u);
        }
        Document again;
        again.Read(disk);
        ASSERT_EQ(ReplayJournal(again, Left(recovery)), "") << "round " << round;
        EXPECT_EQ(again.Cars(), doc.Cars());
        EXPECT_EQ(again.Data().Author, doc.Data().Author);
        while (again.CanUndo())
            again.Undo();
        EXPECT_EQ(again.Cars(), disk.Cars) << "every recovered step is undone back to the file";
        recovery.Close();
        EXPECT_TRUE(FindLeftJournals(Path("state"), nullptr).empty());
    }
}

TEST_F(Recovering, AJournalThatNoLongerAppliesOrIsDamagedIsRefusedWhole) {
    const HandlingDocument file = Parsed(test::CarLine("ONE") + "\r\n" + test::CarLine("TWO") + "\r\n");
    Document doc;
    DocumentRecovery recovery(doc);
    recovery.SetFolder(Path("state"));
    doc.Read(file);
    doc.Commit(ValuesChange(doc.Cars(), {{0, 1, "1600"}}, "Mass"));
    doc.Commit(DeleteCarChange(doc.Cars(), 1));
    const std::vector<std::string> records = Left(recovery);

    const auto refusal = [&](const HandlingDocument& onDisk, const std::vector<std::string>& steps) {
        Document again;
        again.Read(onDisk);
        Listener listener;
        again.Observe(listener);
        const std::string why = ReplayJournal(again, steps);
        EXPECT_EQ(again.Cars(), onDisk.Cars);
        EXPECT_FALSE(again.CanUndo());
        EXPECT_TRUE(listener.events.empty()) << "nothing applied in part";
        return why;
    };
    HandlingDocument changed = file;
    changed.Cars[1].Set(1, "999");
    EXPECT_EQ(refusal(changed, records),
              "the edit \"Delete Car 'TWO'\" no longer applies: the car 'TWO' is no longer car 2 as it was");
    changed.Cars[0].Set(1, "1700");
    EXPECT_EQ(refusal(changed, records),
              "the edit \"Mass\" no longer applies: car 1 ('ONE') has \"1700\" as its Mass, not \"1500\"");
    EXPECT_EQ(refusal(file, {records[0].substr(0, records[0].size() - 1)}),
              "it is damaged: a step cannot be read");
    EXPECT_EQ(refusal(file, {"U"}), "it is damaged: it takes back a step it does not hold");
}
