#include "platform/chart_svg.h"

#include <cstdio>

namespace kestrix::platform {

namespace {

// A place or a length, to a hundredth of a pixel.
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string shown = text;
    shown.erase(shown.find_last_not_of('0') + 1);
    if (shown.back() == '.')
        shown.pop_back();
    return shown == "-0" ? "0" : shown;
}

std::string Colour(Color color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color.red, color.green, color.blue);
    return text;
}

// 8-bit text as XML's UTF-8; the control characters XML cannot hold are left out.
std::string Escaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else if (c == '"')
            escaped += "&quot;";
        else if (byte >= 0x80)
            escaped += {static_cast<char>(0xC0 | byte >> 6), static_cast<char>(0x80 | (byte & 0x3F))};
        else if (byte >= 0x20 || c == '\t')
            escaped += c;
    }
    return escaped;
}

class SvgCanvas : public ChartCanvas {
  public:
    explicit SvgCanvas(std::string& out) : out_(out) {}

    void Rect(const Box& box, std::optional<Color> fill, std::optional<Pen> border, double corner) override {
        out_ += "<rect x=\"" + Number(box.left) + "\" y=\"" + Number(box.top) + "\" width=\"" +
                Number(box.width) + "\" height=\"" + Number(box.height) + "\"";
        if (corner > 0)
            out_ += " rx=\"" + Number(corner) + "\"";
        out_ += " fill=\"" + (fill ? Colour(*fill) : std::string("none")) + "\"";
        if (border)
            Stroke(*border);
        out_ += "/>\n";
    }

    void Line(double x1, double y1, double x2, double y2, const Pen& pen) override {
        out_ += "<line x1=\"" + Number(x1) + "\" y1=\"" + Number(y1) + "\" x2=\"" + Number(x2) + "\" y2=\"" +
                Number(y2) + "\"";
        Stroke(pen);
        out_ += "/>\n";
    }

    void Text(std::string_view text, double x, double y, Align align, bool bold, Color color,
              bool upright) override {
        out_ += "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\"";
        if (align != Align::Left)
            out_ += align == Align::Middle ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
        if (bold)
            out_ += " font-weight=\"bold\"";
        out_ += " fill=\"" + Colour(color) + "\"";
        if (upright)
            out_ += " transform=\"rotate(-90 " + Number(x) + " " + Number(y) + ")\"";
        out_ += ">" + Escaped(text) + "</text>\n";
    }

    void Circle(double x, double y, double radius, std::optional<Color> fill, const Pen& border) override {
        out_ += "<circle cx=\"" + Number(x) + "\" cy=\"" + Number(y) + "\" r=\"" + Number(radius) +
                "\" fill=\"" + (fill ? Colour(*fill) : std::string("none")) + "\"";
        Stroke(border);
        out_ += "/>\n";
    }

    // The points in two groups that give their colours once: a drawing of every car stays small.
    void Points(const Chart& chart, const ChartLayout& layout) override {
        for (const bool highlighted : {false, true}) {
            const PointMarker marker = highlighted ? HighlightedMarker() : PlainMarker();
            out_ += "<g fill=\"" + Colour(marker.color) + "\" stroke=\"" + Colour(marker.border) + "\">\n";
            const std::string radius = "\" r=\"" + Number(marker.radius) + "\"/>\n";
            layout.EachPlace(chart, highlighted, [this, &radius](double x, double y) {
                out_ += "<circle cx=\"" + Number(x) + "\" cy=\"" + Number(y) + radius;
            });
            out_ += "</g>\n";
        }
    }

  private:
    void Stroke(const Pen& pen) {
        out_ += " stroke=\"" + Colour(pen.color) + "\"";
        if (pen.width != 1)
            out_ += " stroke-width=\"" + Number(pen.width) + "\"";
        if (pen.dashed)
            out_ += " stroke-dasharray=\"" + Number(pen.width * 3) + " " + Number(pen.width * 2) + "\"";
    }

    std::string& out_;
};

} // namespace

std::string ChartSvg(const Chart& chart, const ChartLayout& layout) {
    const std::string width = Number(layout.Width()), height = Number(layout.Height());
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height +
                      "\" font-family=\"" + Escaped(layout.Font().family) + "\" font-size=\"" +
                      Number(layout.Font().size) + "\">\n<title>" + Escaped(chart.Title()) +
                      "</title>\n<desc>" + Escaped(chart.Summary()) + "</desc>\n";
    SvgCanvas canvas(out);
    DrawChart(chart, layout, canvas);
    return out + "</svg>\n";
}

} // namespace kestrix::platform
