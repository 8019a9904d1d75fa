#pragma once

#include "windows/frmMain.h"

#include <QMainWindow>

class QHBoxLayout;
class QVBoxLayout;

namespace kestrix::platform::qt {

class TabArea;

// The real window of frmMain: layout and looks only. Every widget is named
// after its control and kept in step with it. frmMain must outlive the view.
class MainWindowView : public QMainWindow {
  public:
    explicit MainWindowView(frmMain& form);
    ~MainWindowView() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QHBoxLayout* CarRow(QWidget& parent);
    TabArea* StatArea(QWidget& parent);
    void FillPage(QWidget& page, const StatPage& stats, std::size_t& nextLabel);
    QHBoxLayout* RowControls(const StatPageRow& row, QWidget& page);
    void AddErrorArea(QVBoxLayout& layout, QWidget& parent);
    void BuildMenus(QWidget& central);
    void FollowCaption();
    void FixSizeAndCentre();

    frmMain& form_;
};

} // namespace kestrix::platform::qt
