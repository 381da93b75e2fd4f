#include "tools/report/Svg.h"

#include "base/Numbers.h"

#include <algorithm>
#include <cstdio>

namespace tovask::report::svg {

namespace {

// The pictures' user unit is the point: texts of a few units would be drawn by Qt as outlines,
// not as text.
constexpr double kPointsPerMillimetre = 72 / 25.4;

// A length or a coordinate given in millimetres, in points to a hundredth.
std::string number(double millimetres) {
    return doubleText(roundedTo(millimetres * kPointsPerMillimetre, 2));
}

std::string hex(const Colour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", std::clamp(colour.red, 0, 255),
                  std::clamp(colour.green, 0, 255), std::clamp(colour.blue, 0, 255));
    return text;
}

std::string strokeAttributes(const Stroke& stroke) {
    std::string a =
        " stroke=\"" + hex(stroke.colour) + "\" stroke-width=\"" + number(stroke.width) + "\"";
    if (stroke.opacity < 1)
        a += " stroke-opacity=\"" + FormatAmountRounded(stroke.opacity) + "\"";
    if (stroke.dashed)
        a += " stroke-dasharray=\"" + number(4 * stroke.width) + "," + number(3 * stroke.width) +
             "\"";
    return a;
}

std::string fillAttributes(const Fill& fill) {
    std::string a = " fill=\"" + hex(fill.colour) + "\"";
    if (fill.opacity < 1)
        a += " fill-opacity=\"" + FormatAmountRounded(fill.opacity) + "\"";
    return a;
}

std::string pointsAttribute(const std::vector<Point>& points) {
    std::string a = " points=\"";
    for (std::size_t i = 0; i < points.size(); ++i)
        a += (i > 0 ? " " : "") + number(points[i].first) + "," + number(points[i].second);
    return a + "\"";
}

} // namespace

std::string escaped(const std::string& text) {
    std::string result;
    for (const char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

Colour Colour::darker(double factor) const {
    return {static_cast<int>(red / factor), static_cast<int>(green / factor),
            static_cast<int>(blue / factor)};
}

double millimetres(double points) {
    return points * 25.4 / 72;
}

double textWidth(const std::string& text, double points) {
    double ems = 0;
    for (const unsigned char c : text) {
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte of a character already counted
        ems += c == '.' || c == ',' || c == ':' || c == ';' || c == '/' || c == ' ' || c == 'i' ||
                       c == 'l' || c == 'j' || c == 't' || c == 'f' || c == 'r'
                   ? 0.4
               : (c >= 'A' && c <= 'Z') || c == 'm' || c == 'w' ? 0.8
                                                                : 0.64;
    }
    return ems * millimetres(points);
}

std::string elideLeft(const std::string& text, double points, double width) {
    if (textWidth(text, points) <= width)
        return text;
    const std::string ellipsis = "\xE2\x80\xA6";
    std::string kept = text;
    while (!kept.empty() && textWidth(ellipsis + kept, points) > width) {
        std::size_t cut = 1;
        while (cut < kept.size() && (static_cast<unsigned char>(kept[cut]) & 0xC0) == 0x80)
            ++cut;
        kept.erase(0, cut);
    }
    return ellipsis + kept;
}

std::vector<std::string> wrapText(const std::string& text, double points, double width) {
    std::vector<std::string> lines = {""};
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find(' ', from), text.size());
        const std::string word = text.substr(from, end - from);
        const std::string longer = lines.back().empty() ? word : lines.back() + " " + word;
        if (!lines.back().empty() && textWidth(longer, points) > width)
            lines.push_back(word);
        else
            lines.back() = longer;
        from = end + 1;
    }
    return lines;
}

void Picture::line(Point from, Point to, const Stroke& stroke) {
    body_ += "<line x1=\"" + number(from.first) + "\" y1=\"" + number(from.second) + "\" x2=\"" +
             number(to.first) + "\" y2=\"" + number(to.second) + "\"" + strokeAttributes(stroke) +
             "/>\n";
}

void Picture::rect(double x, double y, double width, double height, const Fill& fill) {
    body_ += "<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(width) +
             "\" height=\"" + number(height) + "\"" + fillAttributes(fill) + "/>\n";
}

void Picture::rect(double x, double y, double width, double height, const Fill& fill,
                   const Stroke& stroke) {
    body_ += "<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(width) +
             "\" height=\"" + number(height) + "\"" + fillAttributes(fill) +
             strokeAttributes(stroke) + "/>\n";
}

void Picture::frame(double x, double y, double width, double height, const Stroke& stroke) {
    body_ += "<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(width) +
             "\" height=\"" + number(height) + "\" fill=\"none\"" + strokeAttributes(stroke) +
             "/>\n";
}

void Picture::polyline(const std::vector<Point>& points, const Stroke& stroke) {
    body_ += "<polyline" + pointsAttribute(points) + " fill=\"none\"" + strokeAttributes(stroke) +
             "/>\n";
}

void Picture::polygon(const std::vector<Point>& points, const Fill& fill, const Stroke& stroke) {
    body_ += "<polygon" + pointsAttribute(points) + fillAttributes(fill) +
             strokeAttributes(stroke) + "/>\n";
}

void Picture::circle(Point centre, double radius, const Fill& fill, const Stroke& stroke) {
    body_ += "<circle cx=\"" + number(centre.first) + "\" cy=\"" + number(centre.second) +
             "\" r=\"" + number(radius) + "\"" + fillAttributes(fill) + strokeAttributes(stroke) +
             "/>\n";
}

void Picture::text(Point at, const std::string& text, const Font& font, double degrees) {
    static const char* const anchors[] = {"start", "middle", "end"};
    body_ += "<text x=\"" + number(at.first) + "\" y=\"" + number(at.second) + "\" font-size=\"" +
             number(millimetres(font.points)) + "\"" + (font.bold ? " font-weight=\"bold\"" : "") +
             " fill=\"" + hex(font.colour) + "\"" + " text-anchor=\"" +
             anchors[static_cast<int>(font.anchor)] + "\"";
    if (degrees != 0)
        body_ += " transform=\"rotate(" + FormatAmountRounded(degrees) + " " + number(at.first) +
                 " " + number(at.second) + ")\"";
    body_ += ">" + escaped(text) + "</text>\n";
}

void Picture::place(const Picture& picture, Point at) {
    body_ += "<g transform=\"translate(" + number(at.first) + " " + number(at.second) + ")\">\n" +
             picture.body_ + "</g>\n";
}

std::string Picture::document(const std::string& title) const {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\" baseProfile=\"tiny\" "
           "width=\"" +
           FormatAmountRounded(width_) + "mm\" height=\"" + FormatAmountRounded(height_) +
           "mm\" viewBox=\"0 0 " + number(width_) + " " + number(height_) +
           "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n<title>" + escaped(title) +
           "</title>\n" + body_ + "</svg>\n";
}

} // namespace tovask::report::svg
