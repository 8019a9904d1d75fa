#pragma once

// The widgets the factory makes beyond Qt's own: models that read a control's
// entries and rows, a drop-down that tells its control before it opens, and
// text fields that refuse what the 8-bit file cannot hold.

#include "platform/controls.h"
#include "platform/qt/binding.h"
#include "platform/qt/text.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QColor>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QValidator>
#include <QWidget>

#include <memory>
#include <optional>

namespace kestrix::platform::qt {

QColor ToQColor(const Color& color);
// A colour of its own stands for the enabled text: disabled, the text is greyed as any other.
void ShowLooks(QWidget& widget, const Label& label);

// The entries of a drop-down or a list box, read straight from the control.
template <typename Kind> class EntriesModel : public QAbstractListModel {
  public:
    explicit EntriesModel(QObject* parent) : QAbstractListModel(parent) {}
    void SetBinding(const Binding& binding) { binding_ = &binding; }
    int rowCount(const QModelIndex& parent = {}) const override {
        const Kind* list = binding_ ? binding_->Get<Kind>() : nullptr;
        return parent.isValid() || !list ? 0 : list->ListCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Kind* list = binding_ ? binding_->Get<Kind>() : nullptr;
        if (role != Qt::DisplayRole || !list || index.row() >= list->ListCount())
            return {};
        return Latin1(list->List(index.row()));
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    const Binding* binding_ = nullptr;
};
using DropDownModel = EntriesModel<DropDown>;
using ListBoxModel = EntriesModel<ListBox>;

// A drop-down whose list raises the control's opening event before it shows.
class DropDownBox : public QComboBox {
  public:
    explicit DropDownBox(QWidget* parent) : QComboBox(parent) {}
    void SetBinding(const Binding& binding) { binding_ = &binding; }
    void showPopup() override {
        if (binding_)
            binding_->Act<DropDown>([](DropDown& list) {
                if (list.Enabled() && list.DropDownOpening)
                    list.DropDownOpening();
            });
        QComboBox::showPopup();
    }

  private:
    const Binding* binding_ = nullptr;
};

class ColumnListModel : public QAbstractTableModel {
  public:
    explicit ColumnListModel(QObject* parent) : QAbstractTableModel(parent) {}
    void SetBinding(const Binding& binding) { binding_ = &binding; }
    int rowCount(const QModelIndex& parent = {}) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        return parent.isValid() || !list ? 0 : list->RowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        return parent.isValid() || !list ? 0 : list->ColumnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        if (role != Qt::DisplayRole || !list || index.row() >= list->RowCount() ||
            index.column() >= list->ColumnCount())
            return {};
        return Latin1(list->Cell(index.row(), index.column()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !list ||
            section >= list->ColumnCount())
            return {};
        return Latin1(list->Headers()[static_cast<std::size_t>(section)]);
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    const Binding* binding_ = nullptr;
};

// Refuses an edit whole, before it changes the line: the text and the cursor
// stay, and the field hears why.
class FieldValidator : public QValidator {
  public:
    FieldValidator(const Binding& binding, std::shared_ptr<bool> applying, QObject* parent)
        : QValidator(parent), binding_(binding), applying_(std::move(applying)) {}
    State validate(QString& input, int&) const override {
        const TextField* field = binding_.Get<TextField>();
        if (!field || *applying_)
            return Acceptable;
        std::optional<TextField::Refusal> refusal;
        if (!Writable(input, false))
            refusal = TextField::Refusal::Unwritable;
        else if (field->Refuses(Latin1Bytes(input)))
            refusal = TextField::Refusal::Separator;
        if (!refusal)
            return Acceptable;
        binding_.Act<TextField>([&refusal](TextField& f) { f.UserRefused(*refusal); });
        return Invalid;
    }

  private:
    const Binding& binding_;
    std::shared_ptr<bool> applying_;
};

// A multi-line field that refuses typed, pasted or composed text with a
// character the 8-bit file cannot hold, before it lands: the cursor stays.
class ByteTextEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;
    void SetBinding(const Binding& binding) { binding_ = &binding; }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (Refuses(event->text()))
            return;
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source && source->hasText() && Refuses(source->text()))
            return;
        QPlainTextEdit::insertFromMimeData(source);
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        if (Refuses(event->commitString())) {
            event->setCommitString({});
            QPlainTextEdit::inputMethodEvent(event);
            return;
        }
        QPlainTextEdit::inputMethodEvent(event);
    }

  private:
    bool Refuses(const QString& text) const {
        if (!binding_ || Writable(text, true))
            return false;
        binding_->Act<TextField>([](TextField& field) { field.UserRefused(TextField::Refusal::Unwritable); });
        return true;
    }
    const Binding* binding_ = nullptr;
};

} // namespace kestrix::platform::qt
