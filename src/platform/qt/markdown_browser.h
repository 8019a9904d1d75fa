#pragma once

#include "platform/qt/binding.h"

#include <QByteArray>
#include <QString>
#include <QTextBrowser>

#include <cstddef>

namespace kestrix::platform::qt {

// A Markdown view laid out by the toolkit, with the pictures the document names
// from its folder, each no wider than the view. A link goes to the control
// instead of being followed here; the reader's place and the text found are
// kept in step with the control. Alt and an arrow are the window's keys.
class MarkdownBrowser : public QTextBrowser {
  public:
    explicit MarkdownBrowser(QWidget* parent);
    ~MarkdownBrowser() override;
    void Connect(const Binding& binding);
    void Refresh(Aspect aspect);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowDocument();
    void FitPictures();
    void ShowTop();
    void ShowSelection();
    void ReportTop();
    int Margin() const;
    // The control counts the shown text in UTF-8 bytes, the document in UTF-16 units.
    int DocumentPosition(std::size_t shown) const;
    std::size_t ShownPosition(int position) const;

    const Binding* binding_ = nullptr;
    QString plain_;
    QByteArray shown_;
    int fittedWidth_ = -1;
    // The view moves itself, not the reader: no place to report.
    bool placing_ = false;
};

} // namespace kestrix::platform::qt
