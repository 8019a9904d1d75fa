#pragma once

#include "platform/controls.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QComboBox>
#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTreeView;

namespace kestrix::platform::qt {

// Each Create* builds the widget of a control, names it after the control and
// keeps the two in step: changes made from code reach the widget without
// raising the user's events again, and the user's actions reach the control
// through its User* operations. The control must outlive the widget.

// A drop-down whose list raises the control's opening event before it shows.
class DropDownBox : public QComboBox {
  public:
    DropDownBox(DropDown& control, QWidget* parent);
    void showPopup() override;

  private:
    DropDown& control_;
};

// The rows of a column list, read straight from the control.
class ColumnListModel : public QAbstractTableModel {
  public:
    ColumnListModel(const ColumnList& list, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void Reset();

  private:
    const ColumnList& list_;
};

// Pages whose tabs stand in two rows of four; the row of the chosen tab moves
// next to the page, as on a tab strip of several rows.
class TabArea : public QWidget {
  public:
    TabArea(TabControl& control, const FocusScope& focus, QWidget* parent);
    QWidget* Page(int page) const;
    QAbstractButton* Tab(int page) const;

  private:
    void ShowPage(int page);
    static constexpr int kTabsPerRow = 4;
    TabControl& control_;
    QButtonGroup tabs_;
    QGridLayout* tabRows_;
    QStackedWidget* pages_;
};

QLabel* CreateLabel(Label& control, QWidget* parent);
QPushButton* CreateButton(Button& control, const FocusScope& focus, QWidget* parent);
QLineEdit* CreateTextField(TextField& control, const FocusScope& focus, QWidget* parent);
QCheckBox* CreateCheckBox(CheckBox& control, const FocusScope& focus, QWidget* parent);
DropDownBox* CreateDropDown(DropDown& control, const FocusScope& focus, QWidget* parent);
QListWidget* CreateTickList(TickList& control, const FocusScope& focus, QWidget* parent);
QTreeView* CreateColumnList(ColumnList& control, const FocusScope& focus, QWidget* parent);
// The widget for any of the kinds above.
QWidget* CreateControlWidget(Control& control, const FocusScope& focus, QWidget* parent);

} // namespace kestrix::platform::qt
