#include "windows/editor_test.h"

#include <gtest/gtest.h>

using namespace kestrix;
using platform::Answer;

namespace {

const std::string kCar = test::CarLine("CAR") + "\r\n";
const std::string kFile = ";-# File Author : Ann\r\n; one\r\n; two\r\n" + kCar + "; end\r\n";

// Stands in for the toolkit's frame: counts how often the window is brought to the front.
struct RaiseCount final : platform::WindowView {
    void Refresh(platform::Aspect) override {}
    void Close() override {}
    void Raise() override { ++raised; }
    void WindowGone() override {}
    int raised = 0;
};

class CommentsWindow : public test::EditorOn<kFile> {
  protected:
    // The comments before and after the cars and the author, as the window shows them.
    static std::string Shown(const frmComments& c) {
        return c.txtBefore.Text() + "|" + c.txtAfter.Text() + "|" + c.txtAuthor.Text();
    }
    // The same, as the document holds them.
    std::string Kept() const {
        return doc.Data().BeforeComments + "|" + doc.Data().AfterComments + "|" + doc.Data().Author;
    }
};

} // namespace

// Each opening fills a new window from the document; OK changes it, and
// Close, Escape, the close box or the main window closing change nothing.
TEST_F(CommentsWindow, OpensBesideFilledFromTheDocumentAndOnlyOKChangesIt) {
    frmComments& first = Comments();
    EXPECT_EQ(Shown(first), "; one\r\n; two\r\n|; end\r\n|Ann") << "two lines and an empty third";
    EXPECT_TRUE(first.cmdOK.HasFocus());
    first.txtAuthor.UserTypes("Ann\r\nLee");
    EXPECT_EQ(first.txtAuthor.Text(), "Ann") << "the author line holds no line end";
    first.txtAuthor.UserTypes("Ann Lee");
    first.cmdOK.UserClicks();
    EXPECT_TRUE(first.IsClosed());
    EXPECT_EQ(Kept(), "; one\r; two\r|; end\r|Ann Lee");

    const std::function<void(frmComments&)> closes[] = {[](frmComments& f) { f.cmdClose.UserClicks(); },
                                                        [](frmComments& f) { f.UserPressesEscape(); },
                                                        [](frmComments& f) { f.TryClose(); },
                                                        [this](frmComments&) {
                                                            services.answers = {Answer::No}; // not saved
                                                            EXPECT_TRUE(form.TryClose());
                                                        }};
    for (const auto& close : closes) {
        frmComments& comments = Comments();
        EXPECT_EQ(comments.txtAuthor.Text(), "Ann Lee") << "filled anew";
        comments.txtBefore.UserTypes("; changed\r\n");
        comments.txtAfter.UserTypes("; changed\r\n");
        comments.txtAuthor.UserTypes("Someone");
        close(comments);
        EXPECT_TRUE(comments.IsClosed());
        EXPECT_EQ(Kept(), "; one\r; two\r|; end\r|Ann Lee");
    }
}

// What OK takes is the document open at that moment, never the last file's author.
TEST_F(CommentsWindow, TheMainWindowWorksOnAndTheTextsGoToTheDocumentOpenAtConfirming) {
    frmComments& comments = Comments();
    comments.txtAfter.UserTypes("; Cy\r\n");
    Type(1, "1700");
    services.answers = {Answer::Cancel};
    EXPECT_FALSE(form.TryClose());
    EXPECT_FALSE(comments.IsClosed()) << "a cancelled close keeps the comments open";
    form.mnuSave.UserChooses();
    EXPECT_NE(OnDisk(path).find("Author : Ann\r\n; one\r\n; two\r\nCAR 1700 "), std::string::npos);
    EXPECT_EQ(OnDisk(path).find("; Cy"), std::string::npos) << "unconfirmed comments are not saved";

    const std::string other = Write("Other.cfg", "; other\r\n" + kCar);
    services.openPaths = {other};
    form.mnuLoad.UserChooses();
    EXPECT_EQ(Shown(comments), "; other\r\n|; Cy\r\n|") << "the untyped fields show the file read";
    comments.cmdOK.UserClicks();
    EXPECT_EQ(doc.FilePath(), other);
    EXPECT_EQ(Kept(), "; other\r|; Cy\r|");
    form.mnuSave.UserChooses();
    EXPECT_EQ(OnDisk(other).find("Author"), std::string::npos);
}

// A field not typed in follows the document; choosing the entry again refills the open window and brings
// it to the front. Lines that would read back as cars are named as they are typed and kept as typed; only
// exact line-end pairs are converted, both ways.
TEST_F(CommentsWindow, RefillsFollowTheDocumentAndTheLinesThatWouldReadBackAsCarsAreNamed) {
    EXPECT_EQ(LinesReadAsCars("; a\r\nb\r\n\r\n; c\nd\r\n   \r\n;-# dropped\r\n; e"),
              (std::vector<int>{2, 4, 5}));
    frmComments& comments = Comments();
    RaiseCount frame;
    comments.AttachView(&frame);
    comments.txtBefore.UserTypes("typed");
    comments.txtAuthor.UserTypes("typed");
    doc.Commit(TextsChange(doc.Data(), {{DocumentText::AfterComments, "; newer\r"}}, "Edit"));
    EXPECT_EQ(Shown(comments), "typed|; newer\r\n|typed");
    form.mnuUndo.UserChooses();
    EXPECT_EQ(Shown(comments), "typed|; end\r\n|typed") << "typing stays";
    form.mnuRedo.UserChooses();
    form.mnuFileComments.UserChooses();
    EXPECT_EQ(services.shownWindows.size(), 1U);
    EXPECT_EQ(frame.raised, 1);
    EXPECT_EQ(Shown(comments), "; one\r\n; two\r\n|; newer\r\n|Ann");
    comments.AttachView(nullptr);

    comments.txtBefore.UserTypes("; fine\r\nCAR2 1 2\r\n");
    comments.txtAfter.UserTypes("x\r\n; y\r\nz");
    EXPECT_EQ(comments.lblCarLines.Caption(), "Before stats line 2 and After stats lines 1, 3 will read back "
                                              "as cars: a comment line starts with \";\".");
    comments.cmdOK.UserClicks();
    EXPECT_EQ(doc.Data().AfterComments, "x\r; y\rz\r") << "the text is the user's";

    doc.Commit(TextsChange(doc.Data(), {{DocumentText::BeforeComments, "; lf\nalone\r; cr\r\n"}}, "Edit"));
    frmComments& again = Comments();
    EXPECT_EQ(again.txtBefore.Text(), "; lf\nalone\r\n; cr\r\n\n");
    again.txtBefore.UserTypes("; a\rb\r\n\r\r\n; c\n");
    again.txtAfter.UserTypes("");
    again.txtAuthor.UserTypes("Bo Dee ");
    again.cmdOK.UserClicks();
    EXPECT_EQ(Kept(), "; a\rb\r\r\r; c\n\r||Bo Dee ") << "the blank is the user's";
}
