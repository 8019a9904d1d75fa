#include "document/document.h"
#include "document/file_session.h"
#include "document/recovery.h"
#include "file_times.h"
#include "handling_file/handling_format.h"
#include "sample_cars.h"
#include "scripted_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <set>

using namespace kestrix;
using test::ErrorLines;

namespace {

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

CarRow CarOf(const std::string& name, const std::string& mass) {
    return test::Table({test::CarLine(name, mass)})[0];
}

// A change of every kind the editor makes, chosen at random from the document as it is.
Change RandomChange(const Document& doc, std::mt19937& random) {
    const CarTable& cars = doc.Cars();
    const int count = static_cast<int>(cars.size());
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Numbers, and values only the strict checks refuse.
    const auto value = [&] {
        static const std::string kOdd[] = {"4.5", "X", "r", "20G1", "7"};
        return pick(3) ? std::to_string(pick(3000)) : kOdd[pick(5)];
    };
    switch (count == 0 ? 1 : pick(5)) {
    case 0: {
        std::vector<CellEdit> edits;
        for (int i = pick(6); i >= 0; --i)
            edits.push_back({pick(count), 1 + pick(kStatCount - 1), value()});
        return ValuesChange(cars, edits, "Set " + std::to_string(random()));
    }
    case 1:
        return AddCarChange(cars, CarOf("NEW" + std::to_string(pick(100)), std::to_string(pick(3000))));
    case 2:
        return DeleteCarChange(cars, pick(count));
    case 3:
        return RenameCarChange(cars, pick(count), "CAR" + std::to_string(pick(100)));
    default:
        return TextsChange(doc.Data(), {{kDocumentTexts[pick(3)], ";" + std::to_string(pick(3)) + "\r"}},
                           "Texts " + std::to_string(random()));
    }
}

// The cars and the texts: what a change may touch.
bool SameData(const HandlingDocument& a, const HandlingDocument& b) {
    return a.Cars == b.Cars && std::ranges::all_of(kDocumentTexts, [&](DocumentText text) {
               return TextIn(a, text) == TextIn(b, text);
           });
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

// What the history should be: the states the document went through, where it
// stands, where the saved file is among them, and whether typing waits.
struct History {
    std::vector<HandlingDocument> states;
    std::size_t position = 0;
    std::optional<std::size_t> saved = 0;
    bool typing = false;
    HandlingDocument disk;  // as last read or saved
    std::size_t lowest = 0; // the lowest position since

    bool Modified() const { return typing || saved != position; }
};

// Does a random action to doc and to the history it should have; returns the
// notice the observers should hear, if any.
std::optional<DocumentEvent::Kind> RandomAction(Document& doc, History& history, std::mt19937& random) {
    const unsigned action = random() % 10;
    const bool wasModified = history.Modified();
    if (action < 4) {
        Change change = RandomChange(doc, random);
        const bool empty = change.Empty();
        doc.Commit(std::move(change));
        if (empty)
            return std::nullopt; // no step: a redo stays
        history.states.resize(history.position + 1);
        if (history.saved && *history.saved > history.position)
            history.saved.reset(); // the saved state was undone and is now out of reach
        history.states.push_back(doc.Data());
        ++history.position;
    } else if (action < 7) {
        const bool undo = action < 6;
        if (undo ? history.position == 0 : history.position + 1 == history.states.size())
            return std::nullopt;
        undo ? doc.Undo() : doc.Redo();
        history.position += undo ? -1 : 1;
        history.lowest = std::min(history.lowest, history.position);
    } else if (action == 7) {
        doc.Saved("Handling.cfg");
        history.saved = history.position;
        history.disk = doc.Data();
        history.lowest = history.position;
        history.typing = false;
        return DocumentEvent::Kind::State;
    } else {
        doc.NoteTyping();
        history.typing = true;
        return wasModified ? std::nullopt : std::optional(DocumentEvent::Kind::State);
    }
    history.typing = false;
    return DocumentEvent::Kind::Changed;
}

// The journal as an editor killed now would leave it.
std::vector<std::string> Left(const DocumentRecovery& recovery) {
    if (!recovery.Journal().Active())
        return {}; // started at the first step: none yet
    const LeftJournal left = ReadJournal(recovery.Journal().Path());
    EXPECT_EQ(left.error, "");
    return left.records;
}

// The recovered document holds the steps the journal knows: at each of them
// it is the document that left the journal, with the same star and the same
// steps for the Edit menu to name.
void ExpectSameHistory(Document& left, Document& recovered) {
    const auto same = [&] {
        ASSERT_TRUE(SameData(recovered.Data(), left.Data()));
        EXPECT_EQ(recovered.Modified(), left.Modified());
        for (const auto next : {&Document::NextUndo, &Document::NextRedo})
            if (const Change* step = (recovered.*next)()) {
                ASSERT_TRUE((left.*next)() && (left.*next)()->caption == step->caption);
            }
    };
    same();
    const std::pair<bool (Document::*)() const, void (Document::*)()> moves[] = {
        {&Document::CanUndo, &Document::Undo}, {&Document::CanRedo, &Document::Redo}};
    for (const auto& [can, move] : moves)
        while ((recovered.*can)()) {
            (left.*move)();
            (recovered.*move)();
            same();
        }
}

// The document a kill now would give back, the journal replayed on the file,
// can undo the steps since the file and those of the file undone past it.
void ExpectRecoversNow(const Document& doc, const DocumentRecovery& recovery, const History& history) {
    Document again;
    again.Read(history.disk);
    ASSERT_EQ(ReplayJournal(again, Left(recovery)), "");
    ASSERT_TRUE(SameData(again.Data(), doc.Data()));
    std::size_t undone = 0;
    for (; again.CanUndo(); ++undone)
        again.Undo();
    ASSERT_EQ(undone, history.position - history.lowest);
}

class Recovering : public test::TempFolderTest {};

const std::string kTwoCars = test::CarLine("ONE") + "\r\n" + test::CarLine("TWO") + "\r\n";

auto FilesEnding(const std::string& folder, std::string_view ending) {
    return std::ranges::count_if(std::filesystem::directory_iterator(folder),
                                 [&](const auto& entry) { return entry.path().string().ends_with(ending); });
}

} // namespace

TEST_F(Recovering, EachStepTellsTheJournalProblemItMetAndAJournalThatNoLongerAppliesIsRefusedWhole) {
    const std::string path = Write("Handling.cfg", kTwoCars);
    const auto edit = [](Document& doc) { doc.Commit(ValuesChange(doc.Cars(), {{0, 1, "1600"}}, "Mass")); };
    using Step = std::function<FileStep(FileSession&, Document&)>;
    const std::pair<std::string, Step> steps[] = {
        {"edits", [&](FileSession& session, Document& doc) { return edit(doc), session.AfterEdits(); }},
        {"reload",
         [&](FileSession& session, Document&) {
             test::WriteFile(path, kTwoCars + test::CarLine("THREE") + "\r\n");
             return session.Reload();
         }},
        {"revert", [&](FileSession& session, Document& doc) { return edit(doc), session.Read(path, true); }},
        {"save", [&](FileSession& session, Document& doc) { return edit(doc), session.Save(path, {}); }},
        {"coming back",
         [&](FileSession& session, Document& doc) { return edit(doc), session.ReloadOffer(); }},
    };
    for (const auto& [what, step] : steps) {
        test::WriteFile(path, kTwoCars);
        test::ScriptedFiles files;
        Document doc;
        FileSession session(doc, files);
        session.SetRecoveryFolder(Path("state"));
        ASSERT_TRUE(session.Read(path, false).Done());
        files.bytesBeforeWriteFails = 0; // the journal's first write fails
        const FileStep told = step(session, doc);
        EXPECT_TRUE(told.Done()) << what;
        ASSERT_EQ(told.notices.size(), 1u) << what;
        EXPECT_EQ(told.notices[0].kind, FileNotice::Kind::JournalProblem) << what;
        EXPECT_TRUE(session.AfterEdits().notices.empty()) << what << ": told once";
    }

    // A journal that no longer applies is refused whole; one that cannot be written is told once.
    const HandlingDocument file = Parsed(kTwoCars);
    test::ScriptedFiles files;
    Document doc;
    DocumentRecovery recovery(doc, files);
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
    for (const std::string& damaged : {records[0].substr(0, records[0].size() - 1), std::string("U")})
        EXPECT_TRUE(refusal(file, {damaged}).starts_with("it is damaged: ")) << damaged;

    LeftJournal cut{"/state/1.journal", "/data/Handling.cfg", records, "", true};
    const std::string lost = LostInJournal(cut);
    EXPECT_NE(lost.find("\"/state/1.journal\""), std::string::npos) << lost;
    EXPECT_NE(lost.find("\"/data/Handling.cfg\""), std::string::npos) << lost;
    cut.cut = false;
    EXPECT_EQ(LostInJournal(cut), "") << "a whole journal lost nothing";

    // The editor works on without a journal it cannot write.
    files.bytesBeforeWriteFails = 4;
    doc.Commit(ValuesChange(doc.Cars(), {{0, 1, "1700"}}, "Mass"));
    EXPECT_EQ(doc.Cars()[0][1], "1700");
    EXPECT_TRUE(recovery.TakeProblem().starts_with("Cannot write the recovery journal \"" + Path("state")));
    EXPECT_EQ(recovery.TakeProblem(), "");
    EXPECT_FALSE(recovery.Journal().Active());
    doc.Undo();
    EXPECT_TRUE(std::filesystem::is_empty(Path("state"))) << "nothing is left that would recover in part";
}

// Journals left for four files, a damaged one and one of a newer editor, offered
// oldest first in one call: the damaged one is refused unasked, the newer one
// is told of and left for that editor, the user discards the first,
// recovers the second, whose file changed so that its edits no longer apply
// (refused and kept aside), and recovers the third; the fourth waits for the
// next start.
TEST_F(Recovering, TheOfferOfLeftJournalsAsksTheUserOfEachInTurn) {
    const std::string state = Path("state");
    std::set<std::string> known;
    const auto leave = [&](const std::string& name) {
        const std::string file = Write(name, kTwoCars);
        Document doc;
        FileSession killed(doc);
        killed.SetRecoveryFolder(state);
        EXPECT_TRUE(killed.Read(file, false).Done());
        doc.Commit(ValuesChange(doc.Cars(), {{0, 1, "1600"}}, "Mass"));
        doc.Commit(ValuesChange(doc.Cars(), {{0, 2, "2.5"}, {1, 2, "3.5"}}, "Multiply by 1.1 (2 values)"));
        doc.Commit(DeleteCarChange(doc.Cars(), 1));
        doc.Undo();
        for (const auto& entry : std::filesystem::directory_iterator(state)) {
            if (known.insert(entry.path().string()).second) { // its journal, made older than the next
                EXPECT_TRUE(test::SetModified(entry.path().string(), 1000 + std::ssize(known), 0));
            }
        }
        return file;
    }; // it ends without a clean close
    // As the folder lists it: with a backslash before the name on Windows.
    const std::string damaged = (std::filesystem::path(state) / "damaged.journal").string();
    const std::string newer = (std::filesystem::path(state) / "newer.journal").string();
    const std::string newerBytes = "KESTRIX-RECOVERY-JOURNAL-9\nwhatever it holds";
    std::filesystem::create_directories(state);
    test::WriteFile(damaged, "not a journal");
    test::WriteFile(newer, newerBytes);
    EXPECT_TRUE(test::SetModified(damaged, 1000, 0) && test::SetModified(newer, 1001, 0));
    known.insert({damaged, newer});
    const std::string a = leave("A.cfg"), b = leave("B.cfg"), c = leave("C.cfg"), d = leave("D.cfg");
    test::WriteFile(b, test::CarLine("ONE", "1700") + "\r\n" + test::CarLine("TWO") + "\r\n");

    Document doc;
    FileSession session(doc);
    session.SetRecoveryFolder(state);
    std::vector<FileNotice> told;
    int busy = 0;
    const FileAsker asker{[&](const FileNotice& notice) {
                              told.push_back(notice);
                              return notice.text.find(a) == std::string::npos;
                          },
                          [&](bool on) { busy += on ? 1 : -1; }};
    EXPECT_EQ(session.OfferLeftJournals(nullptr, asker), (std::vector{b, c}));
    using Kind = FileNotice::Kind;
    ASSERT_EQ(told.size(), 6u);
    EXPECT_EQ(
        std::vector({told[0].kind, told[1].kind, told[2].kind, told[3].kind, told[4].kind, told[5].kind}),
        std::vector({Kind::JournalRefused, Kind::JournalRefused, Kind::Recover, Kind::Recover,
                     Kind::JournalRefused, Kind::Recover}));
    EXPECT_NE(told[0].text.find(damaged + "\" cannot be used: "), std::string::npos) << told[0].text;
    EXPECT_EQ(test::ReadFile(newer), newerBytes);
    EXPECT_TRUE(told[2].text.starts_with("Kestrix 3 ended without closing \"" + a +
                                         "\", which had unsaved edits: "
                                         "2 steps, the last \"Multiply by 1.1 (2 values)\"."))
        << told[2].text;
    EXPECT_EQ(busy, 0) << "busy only while a file is read";

    EXPECT_EQ(doc.FilePath(), c);
    EXPECT_TRUE(doc.Modified());
    ASSERT_TRUE(doc.NextRedo());
    EXPECT_EQ(doc.NextRedo()->caption, "Delete Car 'TWO'") << "the undone step is there for redo";
    session.Close();
    EXPECT_EQ(FilesEnding(state, ".journal"), 2) << "D's and the newer one wait; A's and C's went";
    EXPECT_EQ(FilesEnding(state, ".journal.refused"), 2) << "the damaged one and B's are kept aside";
}

// The error register stays the whole check of the cars, and the observers
// hear each step once with the rows of the register it replaced.
TEST_F(Recovering, AnyStepsGiveTheStateTheStarTheMarksTheErrorsAndAJournalThatGivesThemBack) {
    std::mt19937 random(17);
    for (int round = 0; round < 40; ++round) {
        Document doc;
        DocumentRecovery recovery(doc);
        const std::string state = Path("state-" + std::to_string(round));
        recovery.SetFolder(state);
        Listener listener;
        doc.Observe(listener);
        doc.Read(Parsed(test::GeneratedHandlingText(1 + round % 4)));
        EXPECT_FALSE(recovery.Journal().Active()) << "a file only read waits for no journal";
        const CheckRules rules = round % 2 ? CheckRules::Strict : CheckRules::Standard;
        doc.SetCheckRules(rules);
        History history{{doc.Data()}, 0, 0, false, doc.Data()};
        for (int step = 0; step < 30; ++step) {
            std::vector<ErrorRecord> before = doc.Errors().Rows();
            const std::size_t heard = listener.events.size();
            const std::optional<DocumentEvent::Kind> expected = RandomAction(doc, history, random);
            SCOPED_TRACE("round " + std::to_string(round) + ", step " + std::to_string(step));
            ASSERT_EQ(listener.events.size(), heard + (expected ? 1 : 0));
            EXPECT_TRUE(!expected || listener.events.back() == *expected);
            ASSERT_TRUE(SameData(doc.Data(), history.states[history.position]));
            EXPECT_EQ(doc.Modified(), history.Modified());
            ASSERT_EQ(doc.ChangedValueCount(), CountedChanges(doc));

            ErrorRegister whole;
            ErrorCheck(doc.Cars(), whole, NumberFormat{}, rules);
            const std::vector<ErrorRecord>& now = doc.Errors().Rows();
            ASSERT_EQ(ErrorLines(now), ErrorLines(whole.Rows()));
            if (expected == DocumentEvent::Kind::Changed) {
                const RowSplice splice = listener.splices.back();
                before.erase(before.begin() + splice.first, before.begin() + splice.first + splice.removed);
                before.insert(before.begin() + splice.first, now.begin() + splice.first,
                              now.begin() + splice.first + splice.added);
                ASSERT_EQ(ErrorLines(before), ErrorLines(now)) << "the splice names every row that changed";
            }
            if (random() % 10 == 0)
                recovery.Compact();
            ExpectRecoversNow(doc, recovery, history);
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
        } else if (round == 6) {
            // A commit cuts the steps it drops from the journal's end, never a step of the file undone since.
            doc.Commit(AddCarChange(doc.Cars(), CarOf("SAVED", "1")));
            doc.Saved("Handling.cfg");
            history.disk = doc.Data();
            doc.Commit(AddCarChange(doc.Cars(), CarOf("DROPPED", "2")));
            doc.Undo();
            doc.Undo();
            doc.Redo();
            doc.Commit(AddCarChange(doc.Cars(), CarOf("AFTER", "3")));
            ExpectRecoversNow(doc, recovery, {{}, 2, 0, false, history.disk});
        }
        doc.DropTyping(); // what was typed is no step
        Document again;
        again.Read(history.disk);
        Listener replayed;
        again.Observe(replayed);
        const std::vector<std::string> records = Left(recovery);
        ASSERT_EQ(ReplayJournal(again, records), "") << "round " << round;
        EXPECT_EQ(replayed.events, std::vector(records.size(), DocumentEvent::Kind::Changed))
            << "the windows hear of every step";
        ExpectSameHistory(doc, again);
        recovery.Close();
        EXPECT_TRUE(FindLeftJournals(state, nullptr).empty());

        const std::size_t heard = listener.events.size();
        doc.Forget(listener);
        doc.Read(Parsed(test::CarLine("ONE") + "\r\n"));
        EXPECT_FALSE(doc.CanUndo() || doc.CanRedo() || doc.Modified());
        EXPECT_EQ(listener.events.size(), heard) << "a forgotten observer hears nothing";
    }
}

TEST(Document, AReplacementThatFollowsTheCarsKeepsEachCarOfTheFile) {
    Document doc;
    doc.Read(Parsed(test::CarLine("APPLE") + "\r\n" + test::CarLine("ZEBRA") + "\r\n" +
                    test::CarLine("KIWI") + "\r\n"));
    HandlingDocument merged = doc.Data();
    merged.Cars = {CarOf("KIWI", "1600"), doc.Cars()[0], CarOf("NEWT", "900")};
    doc.Commit(ReplacementChange(doc.Data(), merged, {2, 0, -1}, doc.SavedRows(), "Resolve Merge"));
    EXPECT_EQ(doc.Cars(), merged.Cars);
    EXPECT_EQ(doc.SavedRows(), (std::vector<int>{2, 0, -1})) << "KIWI moved, and is still the file's KIWI";
    EXPECT_EQ(doc.ChangedValueCount(), 1u) << "its mass alone changed";
    EXPECT_EQ(doc.DeletedSavedRows(), (std::vector<int>{1}));
    doc.Undo();
    EXPECT_EQ(doc.SavedRows(), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(doc.Modified());
}
