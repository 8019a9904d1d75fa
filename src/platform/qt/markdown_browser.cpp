#include "platform/qt/markdown_browser.h"

#include "platform/markdown_view.h"
#include "platform/qt/text.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QImageReader>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <vector>

namespace kestrix::platform::qt {

MarkdownBrowser::MarkdownBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setFocusPolicy(Qt::StrongFocus);
    document()->setUndoRedoEnabled(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { ReportTop(); });
}

// The text edit's parts outlive this one while it is taken apart, and may still scroll.
MarkdownBrowser::~MarkdownBrowser() {
    disconnect(verticalScrollBar(), nullptr, this, nullptr);
}

void MarkdownBrowser::Connect(const Binding& binding) {
    binding_ = &binding;
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        binding_->Act<MarkdownView>(
            [&link](MarkdownView& view) { view.UserClicksLink(link.toString().toStdString()); });
    });
}

void MarkdownBrowser::Refresh(Aspect aspect) {
    if (aspect == Aspect::Text)
        ShowDocument();
    else if (aspect == Aspect::Value)
        ShowTop();
    else if (aspect == Aspect::Selection)
        ShowSelection();
}

void MarkdownBrowser::ShowDocument() {
    MarkdownView* view = binding_->Get<MarkdownView>();
    setSearchPaths({PathText(view->Folder())});
    placing_ = true;
    setMarkdown(QString::fromUtf8(view->Markdown().data(), static_cast<qsizetype>(view->Markdown().size())));
    fittedWidth_ = -1;
    FitPictures();
    placing_ = false;
    plain_ = document()->toPlainText();
    shown_ = plain_.toUtf8();
    std::vector<Heading> headings;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() > 0)
            headings.push_back({block.text().toUtf8().toStdString(), ShownPosition(block.position())});
    view->ViewShows(shown_.toStdString(), std::move(headings));
}

// A picture wider than the view is shown narrowed to its width, in its own proportions.
void MarkdownBrowser::FitPictures() {
    const int room = viewport()->width() - 2 * Margin() - 4;
    if (room == fittedWidth_ || room <= 0)
        return;
    fittedWidth_ = room;
    const QDir folder(searchPaths().value(0));
    QTextCursor cursor(document());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            QTextImageFormat picture = fragment.fragment().charFormat().toImageFormat();
            if (!picture.isValid())
                continue;
            const QSize size = QImageReader(folder.filePath(picture.name())).size();
            if (!size.isValid())
                continue;
            const double scale = std::min(1.0, static_cast<double>(room) / size.width());
            picture.setWidth(size.width() * scale);
            picture.setHeight(size.height() * scale);
            cursor.setPosition(fragment.fragment().position());
            cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(),
                               QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
    }
    // The blocks after a table keep the layout of the old sizes unless the whole text is laid out anew.
    document()->markContentsDirty(0, document()->characterCount());
}

void MarkdownBrowser::resizeEvent(QResizeEvent* event) {
    const MarkdownView* view = binding_ ? binding_->Get<MarkdownView>() : nullptr;
    if (!view) {
        QTextBrowser::resizeEvent(event);
        return;
    }
    // The reader stays at the same place while the text and the pictures take the new width.
    const std::size_t top = view->Top();
    placing_ = true;
    QTextBrowser::resizeEvent(event);
    FitPictures();
    placing_ = false;
    binding_->Act<MarkdownView>([top](MarkdownView& shown) { shown.UserScrolls(top); });
    ShowTop();
}

// The room above the first line, kept above the line at the top.
int MarkdownBrowser::Margin() const {
    return static_cast<int>(document()->documentMargin());
}

void MarkdownBrowser::ShowTop() {
    QTextCursor at(document());
    at.setPosition(DocumentPosition(binding_->Get<MarkdownView>()->Top()));
    placing_ = true;
    verticalScrollBar()->setValue(verticalScrollBar()->value() + cursorRect(at).top() - Margin());
    placing_ = false;
    // The view may not reach that far down: the control is told where it is.
    ReportTop();
}

void MarkdownBrowser::ShowSelection() {
    const MarkdownView* view = binding_->Get<MarkdownView>();
    QTextCursor cursor(document());
    QList<ExtraSelection> found;
    if (view->SelLength() > 0) {
        cursor.setPosition(DocumentPosition(view->SelStart()));
        cursor.setPosition(DocumentPosition(view->SelStart() + view->SelLength()), QTextCursor::KeepAnchor);
        // Marked as well as selected: a selection is pale while the find field has the focus.
        ExtraSelection mark;
        mark.cursor = cursor;
        mark.format.setBackground(QColor(255, 230, 80));
        mark.format.setForeground(Qt::black);
        found.append(mark);
    } else {
        cursor.setPosition(DocumentPosition(view->SelStart()));
    }
    // Placing the cursor scrolls to it; none but the text found moves the reader.
    const int scrolled = verticalScrollBar()->value();
    placing_ = true;
    setTextCursor(cursor);
    setExtraSelections(found);
    verticalScrollBar()->setValue(scrolled);
    placing_ = false;
    if (view->SelLength() == 0)
        return;
    // The text found stands a third of the way down, with what leads to it above.
    const QRect shown = cursorRect(cursor);
    if (shown.top() < 0 || shown.bottom() > viewport()->height())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + shown.top() - viewport()->height() / 3);
}

void MarkdownBrowser::ReportTop() {
    if (placing_ || !binding_)
        return;
    const std::size_t top = ShownPosition(cursorForPosition(QPoint(0, Margin() + 1)).position());
    binding_->Act<MarkdownView>([top](MarkdownView& view) { view.UserScrolls(top); });
}

int MarkdownBrowser::DocumentPosition(std::size_t shown) const {
    const auto bytes = static_cast<qsizetype>(std::min(shown, static_cast<std::size_t>(shown_.size())));
    return static_cast<int>(QString::fromUtf8(shown_.constData(), bytes).size());
}

std::size_t MarkdownBrowser::ShownPosition(int position) const {
    return static_cast<std::size_t>(plain_.left(position).toUtf8().size());
}

void MarkdownBrowser::keyPressEvent(QKeyEvent* event) {
    const bool arrow = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right ||
                       event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (arrow && (event->modifiers() & Qt::AltModifier)) {
        event->ignore();
        return;
    }
    // A reader expects Ctrl+Home and Ctrl+End to reach the ends of a document; the
    // toolkit's read-only view knows only Home and End for that.
    const bool home = event->key() == Qt::Key_Home;
    if ((home || event->key() == Qt::Key_End) && event->modifiers() == Qt::ControlModifier) {
        verticalScrollBar()->triggerAction(home ? QAbstractSlider::SliderToMinimum
                                                : QAbstractSlider::SliderToMaximum);
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

} // namespace kestrix::platform::qt
