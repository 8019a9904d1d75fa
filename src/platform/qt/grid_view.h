#pragma once

#include "platform/grid.h"
#include "platform/qt/binding.h"

#include <QTableView>

namespace kestrix::platform::qt {

class GridModel;

// The table of a grid: a model that reads the control's cells (no item per
// cell), editors for each kind of column, and the first column kept in place
// while the others scroll.
class GridView : public QTableView {
  public:
    explicit GridView(QWidget* parent);
    void Connect(const Binding& binding);
    void Refresh(Aspect aspect);
    QTableView& FrozenPart() { return *frozen_; }

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void PlaceFrozenPart();
    void ShowColumns();
    void ShowSelection();
    void ReportSelection();
    bool Key(const QKeyEvent& key);
    bool ShiftClick(const QMouseEvent& click, QTableView& part);

    const Binding* binding_ = nullptr;
    GridModel* model_;
    QTableView* frozen_;
    bool showing_ = false;
};

} // namespace kestrix::platform::qt
