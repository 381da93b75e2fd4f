#include "tools/report/qt/Plot.h"

#include "base/Numbers.h"

#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tovask::report::pdf {

QFont textFont(double points, bool bold) {
    QFont font("DejaVu Sans");
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

std::vector<double> Axis::ticks() const {
    std::vector<double> values;
    const long first = std::lround(std::ceil(low / step - 1e-9));
    for (long k = first; k * step <= high + 1e-9 * step; ++k)
        values.push_back(k * step);
    return values;
}

Axis niceAxis(double low, double high, int count, double minStep) {
    if (!(high > low))
        high = low + std::max(minStep, 1.0);
    const double raw = (high - low) / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= raw) {
            step = factor * power;
            break;
        }
    step = std::max(step, minStep);
    return {std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step, step};
}

namespace {

// Room for the tick values left of and below the data area, and for the title above.
constexpr double kLeftRoom = 14;
constexpr double kBottomRoom = 12;
constexpr double kTopRoom = 7;
constexpr double kRightRoom = 3;

QRectF pixels(const QRectF& millimetres) {
    return {mm(millimetres.x()), mm(millimetres.y()), mm(millimetres.width()),
            mm(millimetres.height())};
}

} // namespace

Plot::Plot(QPainter& painter, const QRectF& area, const Axis& x, const Axis& y)
    : painter_(painter), area_(pixels(area)),
      inner_(pixels(area.adjusted(kLeftRoom, kTopRoom, -kRightRoom, -kBottomRoom))), x_(x), y_(y) {}

QPointF Plot::at(double x, double y) const {
    return {inner_.left() + (x - x_.low) / (x_.high - x_.low) * inner_.width(),
            inner_.bottom() - (y - y_.low) / (y_.high - y_.low) * inner_.height()};
}

void Plot::drawFrame(const QString& title, const QString& xLabel, const QString& yLabel) {
    painter_.save();
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(QPen(QColor(225, 225, 225), mm(0.15)));
    for (const double t : x_.ticks())
        painter_.drawLine(at(t, y_.low), at(t, y_.high));
    for (const double t : y_.ticks())
        painter_.drawLine(at(x_.low, t), at(x_.high, t));

    painter_.setPen(QPen(Qt::black, mm(0.25)));
    painter_.drawRect(inner_);
    painter_.setFont(textFont(7));
    const double tick = mm(1.2);
    for (const double t : x_.ticks()) {
        const QPointF p = at(t, y_.low);
        painter_.drawLine(p, p + QPointF(0, tick));
        painter_.drawText(QRectF(p.x() - mm(10), p.y() + tick, mm(20), mm(4)),
                          Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(doubleText(t)));
    }
    for (const double t : y_.ticks()) {
        const QPointF p = at(x_.low, t);
        painter_.drawLine(p, p - QPointF(tick, 0));
        painter_.drawText(QRectF(p.x() - mm(11) - tick, p.y() - mm(2), mm(11), mm(4)),
                          Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(doubleText(t)));
    }
    painter_.setFont(textFont(8));
    painter_.drawText(QRectF(inner_.left(), inner_.bottom() + mm(5.5), inner_.width(), mm(5)),
                      Qt::AlignHCenter | Qt::AlignTop, xLabel);
    painter_.translate(area_.left() + mm(0.5), inner_.center().y());
    painter_.rotate(-90);
    painter_.drawText(QRectF(-inner_.height() / 2, 0, inner_.height(), mm(5)),
                      Qt::AlignHCenter | Qt::AlignTop, yLabel);
    painter_.restore();

    painter_.save();
    painter_.setFont(textFont(9, true));
    painter_.drawText(QRectF(inner_.left(), area_.top(), inner_.width(), mm(kTopRoom - 1.5)),
                      Qt::AlignLeft | Qt::AlignBottom, title);
    painter_.restore();
}

void Plot::drawNote(const QString& text) {
    painter_.save();
    painter_.setPen(QColor(90, 90, 90));
    painter_.setFont(textFont(8));
    painter_.drawText(inner_, Qt::AlignCenter | Qt::TextWordWrap, text);
    painter_.restore();
}

QColor typeColour(int type) {
    // Colours told apart with every common form of colour blindness.
    static const QColor colours[] = {QColor(0, 114, 178), QColor(230, 159, 0),
                                     QColor(0, 158, 115), QColor(204, 121, 167),
                                     QColor(213, 94, 0),  QColor(86, 180, 233)};
    return colours[std::clamp(type, 0, 5)];
}

void drawMarker(QPainter& painter, QPointF c, int type) {
    const double r = mm(0.9);
    painter.save();
    painter.setPen(QPen(typeColour(type).darker(150), mm(0.12)));
    painter.setBrush(typeColour(type));
    switch (type) {
    case 0:
        painter.drawEllipse(c, r, r);
        break;
    case 1:
        painter.drawRect(QRectF(c.x() - r * 0.9, c.y() - r * 0.9, 1.8 * r, 1.8 * r));
        break;
    case 2:
        painter.drawPolygon(QPolygonF({c + QPointF(0, -1.2 * r), c + QPointF(1.1 * r, 0.8 * r),
                                       c + QPointF(-1.1 * r, 0.8 * r)}));
        break;
    case 3:
        painter.drawPolygon(QPolygonF({c + QPointF(0, -1.25 * r), c + QPointF(1.1 * r, 0),
                                       c + QPointF(0, 1.25 * r), c + QPointF(-1.1 * r, 0)}));
        break;
    case 4:
        painter.drawPolygon(QPolygonF({c + QPointF(0, 1.2 * r), c + QPointF(1.1 * r, -0.8 * r),
                                       c + QPointF(-1.1 * r, -0.8 * r)}));
        break;
    default: {
        QPainterPath cross;
        const double w = 0.38 * r;
        cross.addRect(QRectF(c.x() - 1.1 * r, c.y() - w, 2.2 * r, 2 * w));
        cross.addRect(QRectF(c.x() - w, c.y() - 1.1 * r, 2 * w, 2.2 * r));
        painter.drawPath(cross.simplified());
        break;
    }
    }
    painter.restore();
}

} // namespace tovask::report::pdf
