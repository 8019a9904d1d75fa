#pragma once

#include "platform/controls.h"

#include <QMargins>
#include <Qt>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace kestrix::platform::qt {

class WindowFrame;

// A piece of a window's layout, written as data: a control's widget, a row,
// a column or a grid of pieces, a stretch or a gap. Sizes are in pixels.
class Piece {
  public:
    Piece(Control& control); // NOLINT: a control is the commonest piece
    static Piece Row(std::vector<Piece> pieces);
    static Piece Column(std::vector<Piece> pieces);
    // Rows of cells; a Gap in a cell leaves it empty.
    static Piece Grid(std::vector<std::vector<Piece>> rows);
    // Pieces over one another in the same place, each later one above: labels over a picture.
    static Piece Layer(std::vector<Piece> pieces);
    static Piece Stretch(int factor = 1);
    static Piece Gap(int pixels = 0);

    Piece Width(int pixels) &&;
    Piece Height(int pixels) &&;
    Piece Size(int width, int height) &&;
    Piece MinimumSize(int width, int height) &&;
    // Takes the room left over in its row or column.
    Piece Grow(int factor = 1) &&;
    Piece Align(Qt::Alignment alignment) &&;
    Piece Margins(QMargins margins) &&;
    // The pages of a tab control, in order.
    Piece Pages(std::vector<Piece> pages) &&;
    // The widths of a column list's columns.
    Piece ColumnWidths(std::vector<int> widths) &&;
    // Any other look of the widget (a font, a frame).
    Piece Look(std::function<void(QWidget&)> look) &&;

    struct Data;

  private:
    explicit Piece(std::shared_ptr<Data> data) : data_(std::move(data)) {}
    Piece With(const std::function<void(Data&)>& change) &&;
    friend void Lay(WindowFrame& frame, const Piece& root);
    friend class Builder;
    std::shared_ptr<Data> data_;
};

// Makes and binds every control's widget and lays the pieces out in the frame's body.
void Lay(WindowFrame& frame, const Piece& root);

} // namespace kestrix::platform::qt
