#pragma once
// Pictures as SVG text, the one way the report draws: a browser shows them inline in the HTML
// report, and on Linux Qt Svg renders the same text into the PDF. So they keep to what both
// understand (SVG Tiny 1.2: no clip paths, no CSS, no nested svg elements). Lengths are in
// millimetres, y downwards.

#include <string>
#include <utility>
#include <vector>

namespace tovask::report::svg {

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
    // The colour with each component divided by the factor (1.5: a darker edge).
    Colour darker(double factor) const;
};

struct Stroke {
    Colour colour;
    double width = 0.2;
    double opacity = 1;
    bool dashed = false;
};

struct Fill {
    Colour colour;
    double opacity = 1;
};

enum class Anchor { start, middle, end };

struct Font {
    double points = 8;
    bool bold = false;
    Colour colour;
    Anchor anchor = Anchor::start;
};

using Point = std::pair<double, double>;

// The text with the characters that XML and HTML give a meaning to written as entities.
std::string escaped(const std::string& text);

// The printed size of a font of these points, in millimetres.
double millimetres(double points);
// About how wide a text of this font is, in millimetres: the report's fonts are not at hand
// where it is written, so this errs wide (digits and lower-case letters of DejaVu Sans).
double textWidth(const std::string& text, double points);
// The text shortened at its start, with "…", to about this width.
std::string elideLeft(const std::string& text, double points, double width);
// The text in lines of about this width at most, broken at blanks.
std::vector<std::string> wrapText(const std::string& text, double points, double width);

class Picture {
public:
    Picture(double width, double height) : width_(width), height_(height) {}
    double width() const { return width_; }
    double height() const { return height_; }

    void line(Point from, Point to, const Stroke& stroke);
    void rect(double x, double y, double width, double height, const Fill& fill);
    void rect(double x, double y, double width, double height, const Fill& fill,
              const Stroke& stroke);
    void frame(double x, double y, double width, double height, const Stroke& stroke);
    void polyline(const std::vector<Point>& points, const Stroke& stroke);
    void polygon(const std::vector<Point>& points, const Fill& fill, const Stroke& stroke);
    void circle(Point centre, double radius, const Fill& fill, const Stroke& stroke);
    // A line of text whose baseline starts (or is centred, or ends) at the point; turned by
    // the degrees given (counter-clockwise: -90 reads upwards).
    void text(Point at, const std::string& text, const Font& font, double degrees = 0);
    // Another picture with its top left corner at the point.
    void place(const Picture& picture, Point at);

    // A document of its own, as a file or inline in HTML.
    std::string document(const std::string& title) const;

private:
    double width_;
    double height_;
    std::string body_;
};

} // namespace tovask::report::svg
