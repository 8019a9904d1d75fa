#include "platform/qt/layout.h"

#include "platform/qt/tab_area.h"
#include "platform/qt/widgets.h"
#include "platform/qt/window_frame.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>

namespace kestrix::platform::qt {

struct Piece::Data {
    enum class Kind { Control, Row, Column, Grid, Layer, Stretch, Gap } kind = Kind::Control;
    platform::Control* control = nullptr;
    std::vector<Piece> children;
    std::vector<std::vector<Piece>> rows;
    int amount = 0;
    int width = -1;
    int height = -1;
    int minimumWidth = -1;
    int minimumHeight = -1;
    int grow = 0;
    Qt::Alignment align;
    std::optional<QMargins> margins;
    std::vector<Piece> pages;
    std::vector<int> columnWidths;
    std::function<void(QWidget&)> look;
};

Piece::Piece(Control& control) : data_(std::make_shared<Data>()) {
    data_->control = &control;
}

namespace {

std::shared_ptr<Piece::Data> Made(Piece::Data::Kind kind) {
    auto data = std::make_shared<Piece::Data>();
    data->kind = kind;
    return data;
}

} // namespace

Piece Piece::Row(std::vector<Piece> pieces) {
    auto data = Made(Data::Kind::Row);
    data->children = std::move(pieces);
    return Piece(data);
}

Piece Piece::Column(std::vector<Piece> pieces) {
    auto data = Made(Data::Kind::Column);
    data->children = std::move(pieces);
    return Piece(data);
}

Piece Piece::Grid(std::vector<std::vector<Piece>> rows) {
    auto data = Made(Data::Kind::Grid);
    data->rows = std::move(rows);
    return Piece(data);
}

Piece Piece::Layer(std::vector<Piece> pieces) {
    auto data = Made(Data::Kind::Layer);
    data->children = std::move(pieces);
    return Piece(data);
}

Piece Piece::Stretch(int factor) {
    auto data = Made(Data::Kind::Stretch);
    data->amount = factor;
    return Piece(data);
}

Piece Piece::Gap(int pixels) {
    auto data = Made(Data::Kind::Gap);
    data->amount = pixels;
    return Piece(data);
}

Piece Piece::With(const std::function<void(Data&)>& change) && {
    change(*data_);
    return std::move(*this);
}

Piece Piece::Width(int pixels) && {
    return std::move(*this).With([pixels](Data& d) { d.width = pixels; });
}
Piece Piece::Height(int pixels) && {
    return std::move(*this).With([pixels](Data& d) { d.height = pixels; });
}
Piece Piece::Size(int width, int height) && {
    return std::move(*this).Width(width).Height(height);
}
Piece Piece::MinimumSize(int width, int height) && {
    return std::move(*this).With([=](Data& d) {
        d.minimumWidth = width;
        d.minimumHeight = height;
    });
}
Piece Piece::Grow(int factor) && {
    return std::move(*this).With([factor](Data& d) { d.grow = factor; });
}
Piece Piece::Align(Qt::Alignment alignment) && {
    return std::move(*this).With([alignment](Data& d) { d.align = alignment; });
}
Piece Piece::Margins(QMargins margins) && {
    return std::move(*this).With([margins](Data& d) { d.margins = margins; });
}
Piece Piece::Pages(std::vector<Piece> pages) && {
    return std::move(*this).With([&pages](Data& d) { d.pages = std::move(pages); });
}
Piece Piece::ColumnWidths(std::vector<int> widths) && {
    return std::move(*this).With([&widths](Data& d) { d.columnWidths = std::move(widths); });
}
Piece Piece::Look(std::function<void(QWidget&)> look) && {
    return std::move(*this).With([&look](Data& d) { d.look = std::move(look); });
}

class Builder {
  public:
    explicit Builder(const FocusScope& focus) : focus_(focus) {}

    // The layout of a row, column or grid whose widgets belong to parent.
    QLayout* MakeLayout(const Piece::Data& piece, QWidget* parent) {
        if (piece.kind == Piece::Data::Kind::Grid) {
            auto* grid = new QGridLayout;
            for (std::size_t r = 0; r < piece.rows.size(); ++r)
                for (std::size_t c = 0; c < piece.rows[r].size(); ++c)
                    AddToGrid(*grid, *piece.rows[r][c].data_, static_cast<int>(r), static_cast<int>(c),
                              parent);
            return Finish(grid, piece);
        }
        if (piece.kind == Piece::Data::Kind::Layer) {
            // One cell for all: widgets made later lie above those made before.
            auto* grid = new QGridLayout;
            for (const Piece& child : piece.children)
                AddToGrid(*grid, *child.data_, 0, 0, parent);
            return Finish(grid, piece);
        }
        auto* box = new QBoxLayout(piece.kind == Piece::Data::Kind::Row ? QBoxLayout::LeftToRight
                                                                        : QBoxLayout::TopToBottom);
        for (const Piece& child : piece.children)
            AddToBox(*box, *child.data_, parent);
        return Finish(box, piece);
    }

  private:
    QLayout* Finish(QLayout* layout, const Piece::Data& piece) {
        if (piece.margins)
            layout->setContentsMargins(*piece.margins);
        return layout;
    }

    void AddToBox(QBoxLayout& box, const Piece::Data& piece, QWidget* parent) {
        switch (piece.kind) {
        case Piece::Data::Kind::Stretch:
            box.addStretch(piece.amount);
            return;
        case Piece::Data::Kind::Gap:
            box.addSpacing(piece.amount);
            return;
        case Piece::Data::Kind::Control:
            box.addWidget(MakeWidget(piece, parent), piece.grow, piece.align);
            return;
        default:
            box.addLayout(MakeLayout(piece, parent), piece.grow);
        }
    }

    void AddToGrid(QGridLayout& grid, const Piece::Data& piece, int row, int column, QWidget* parent) {
        switch (piece.kind) {
        case Piece::Data::Kind::Gap:
        case Piece::Data::Kind::Stretch:
            return;
        case Piece::Data::Kind::Control:
            grid.addWidget(MakeWidget(piece, parent), row, column, piece.align);
            return;
        default:
            grid.addLayout(MakeLayout(piece, parent), row, column, piece.align);
        }
    }

    QWidget* MakeWidget(const Piece::Data& piece, QWidget* parent) {
        QWidget* widget = CreateWidget(*piece.control, focus_, parent);
        if (piece.width >= 0)
            widget->setFixedWidth(piece.width);
        if (piece.height >= 0)
            widget->setFixedHeight(piece.height);
        if (piece.minimumWidth >= 0)
            widget->setMinimumSize(piece.minimumWidth, piece.minimumHeight);
        if (piece.grow > 0)
            widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        if (auto* area = dynamic_cast<TabArea*>(widget))
            for (std::size_t page = 0; page < piece.pages.size(); ++page)
                FillPage(*area->Page(static_cast<int>(page)), piece.pages[page]);
        if (auto* view = qobject_cast<QTreeView*>(widget))
            SizeColumns(*view, piece.columnWidths);
        if (piece.look)
            piece.look(*widget);
        return widget;
    }

    void FillPage(QWidget& page, const Piece& content) {
        const Piece::Data& data = *content.data_;
        if (data.kind == Piece::Data::Kind::Control) {
            auto* layout = new QVBoxLayout(&page);
            layout->addWidget(MakeWidget(data, &page));
        } else {
            page.setLayout(MakeLayout(data, &page));
        }
    }

    // The list is at least as wide as its columns.
    static void SizeColumns(QTreeView& view, const std::vector<int>& widths) {
        if (widths.empty())
            return;
        int total = 2 * view.frameWidth() + view.verticalScrollBar()->sizeHint().width();
        for (std::size_t column = 0; column < widths.size(); ++column) {
            view.header()->resizeSection(static_cast<int>(column), widths[column]);
            total += widths[column];
        }
        view.setMinimumWidth(std::max(view.minimumWidth(), total));
    }

    const FocusScope& focus_;
};

void Lay(WindowFrame& frame, const Piece& root) {
    Builder builder(frame.Form()->Focus);
    QWidget& body = frame.Body();
    const Piece::Data& data = *root.data_;
    if (data.kind == Piece::Data::Kind::Control)
        body.setLayout(builder.MakeLayout(*Piece::Column({root}).data_, &body));
    else
        body.setLayout(builder.MakeLayout(data, &body));
}

} // namespace kestrix::platform::qt
