#pragma once
// A plot on a page of the report: a frame, its axes with ticks at round values, their labels,
// and the mapping of data to the page. Lengths are in millimetres of the page.

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

namespace tovask::report::pdf {

// Device pixels of the report's pages per millimetre.
inline constexpr double kDotsPerInch = 300;
inline double mm(double millimetres) {
    return millimetres * kDotsPerInch / 25.4;
}

QFont textFont(double points, bool bold = false);

// A range with ticks at 1, 2 or 5 times a power of ten, widened to start and end on a tick.
struct Axis {
    double low = 0;
    double high = 1;
    double step = 0.2;
    std::vector<double> ticks() const;
};
// About `count` intervals; no step below minStep (1 for counts).
Axis niceAxis(double low, double high, int count = 5, double minStep = 0);

class Plot {
public:
    // area: the whole panel in millimetres, labels included.
    Plot(QPainter& painter, const QRectF& area, const Axis& x, const Axis& y);

    // The frame, the ticks and their values, the title above and the axis labels.
    void drawFrame(const QString& title, const QString& xLabel, const QString& yLabel);
    // A data point on the page, in device pixels.
    QPointF at(double x, double y) const;
    const QRectF& inner() const { return inner_; }
    // A text in the middle of the plot, where there is nothing to show.
    void drawNote(const QString& text);

private:
    QPainter& painter_;
    QRectF area_;
    QRectF inner_; // the data area, in device pixels
    Axis x_;
    Axis y_;
};

// The marker of a problem type (0 to 5): a shape and a colour of its own.
QColor typeColour(int type);
void drawMarker(QPainter& painter, QPointF centre, int type);

} // namespace tovask::report::pdf
