#include "tools/report/Plots.h"

#include "base/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tovask::report {

using svg::Anchor;
using svg::Colour;
using svg::Fill;
using svg::Font;
using svg::Picture;
using svg::Point;
using svg::Stroke;

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

int typeIndex(double pt) {
    return static_cast<int>(std::find(std::begin(kTypes), std::end(kTypes), pt) -
                            std::begin(kTypes));
}

namespace {

const Colour kBlack{0, 0, 0};
const Colour kGrey{90, 90, 90};
const Colour kGrid{225, 225, 225};
const Colour kLineGrey{120, 120, 120};
const Colour kDarkLine{40, 40, 40};
const Colour kRandom{213, 94, 0};

// Colours told apart with every common form of colour blindness.
Colour typeColour(int type) {
    static const Colour colours[] = {{0, 114, 178},   {230, 159, 0}, {0, 158, 115},
                                     {204, 121, 167}, {213, 94, 0},  {86, 180, 233}};
    return colours[std::clamp(type, 0, 5)];
}

// The marker of a problem type (0 to 5): a shape and a colour of its own.
void marker(Picture& picture, Point c, int type) {
    const double r = 0.9;
    const Fill fill{typeColour(type)};
    const Stroke edge{typeColour(type).darker(1.5), 0.12};
    const auto at = [&](double dx, double dy) {
        return Point{c.first + dx * r, c.second + dy * r};
    };
    switch (type) {
    case 0:
        picture.circle(c, r, fill, edge);
        break;
    case 1:
        picture.rect(c.first - 0.9 * r, c.second - 0.9 * r, 1.8 * r, 1.8 * r, fill, edge);
        break;
    case 2:
        picture.polygon({at(0, -1.2), at(1.1, 0.8), at(-1.1, 0.8)}, fill, edge);
        break;
    case 3:
        picture.polygon({at(0, -1.25), at(1.1, 0), at(0, 1.25), at(-1.1, 0)}, fill, edge);
        break;
    case 4:
        picture.polygon({at(0, 1.2), at(1.1, -0.8), at(-1.1, -0.8)}, fill, edge);
        break;
    default: {
        const double w = 0.38;
        picture.polygon({at(-w, -1.1), at(w, -1.1), at(w, -w), at(1.1, -w), at(1.1, w), at(w, w),
                         at(w, 1.1), at(-w, 1.1), at(-w, w), at(-1.1, w), at(-1.1, -w), at(-w, -w)},
                        fill, edge);
        break;
    }
    }
}

// Room for the tick values left of and below the data area, and for the title above.
constexpr double kLeftRoom = 14;
constexpr double kBottomRoom = 12;
constexpr double kTopRoom = 7;
constexpr double kRightRoom = 3;

// A plot: a frame, its axes with ticks at round values, their labels, and the mapping of data
// to the picture.
class Plot {
public:
    Plot(double width, double height, const Axis& x, const Axis& y)
        : picture_(width, height), x_(x), y_(y), left_(kLeftRoom), top_(kTopRoom),
          right_(width - kRightRoom), bottom_(height - kBottomRoom) {}

    Picture& picture() { return picture_; }
    Point at(double x, double y) const {
        return {left_ + (x - x_.low) / (x_.high - x_.low) * (right_ - left_),
                bottom_ - (y - y_.low) / (y_.high - y_.low) * (bottom_ - top_)};
    }

    void drawFrame(const std::string& title, const std::string& xLabel, const std::string& yLabel) {
        const Stroke grid{kGrid, 0.15};
        for (const double t : x_.ticks())
            picture_.line(at(t, y_.low), at(t, y_.high), grid);
        for (const double t : y_.ticks())
            picture_.line(at(x_.low, t), at(x_.high, t), grid);
        const Stroke black{kBlack, 0.25};
        picture_.frame(left_, top_, right_ - left_, bottom_ - top_, black);
        const double tick = 1.2;
        for (const double t : x_.ticks()) {
            const Point p = at(t, y_.low);
            picture_.line(p, {p.first, p.second + tick}, black);
            picture_.text({p.first, p.second + tick + 2.6}, doubleText(t),
                          {7, false, kBlack, Anchor::middle});
        }
        for (const double t : y_.ticks()) {
            const Point p = at(x_.low, t);
            picture_.line(p, {p.first - tick, p.second}, black);
            picture_.text({p.first - tick - 0.6, p.second + 0.9}, doubleText(t),
                          {7, false, kBlack, Anchor::end});
        }
        picture_.text({(left_ + right_) / 2, bottom_ + 8.5}, xLabel,
                      {8, false, kBlack, Anchor::middle});
        picture_.text({3, (top_ + bottom_) / 2}, yLabel, {8, false, kBlack, Anchor::middle}, -90);
        picture_.text({left_, top_ - 1.8}, title, {9, true, kBlack, Anchor::start});
    }

    // A text in the middle of the plot, where there is nothing to show, in lines that fit.
    void drawNote(const std::string& text) {
        const std::vector<std::string> lines = svg::wrapText(text, 8, right_ - left_ - 6);
        const double lineHeight = 3.6;
        double y = (top_ + bottom_) / 2 - lineHeight * (lines.size() - 1) / 2 + 1;
        for (const std::string& line : lines) {
            picture_.text({(left_ + right_) / 2, y}, line, {8, false, kGrey, Anchor::middle});
            y += lineHeight;
        }
    }

private:
    Picture picture_;
    Axis x_;
    Axis y_;
    double left_;
    double top_;
    double right_;
    double bottom_;
};

// Shares of 0.05 wide, the last one holding 1.
constexpr int kBins = 20;
int binOf(double ccei) {
    return std::clamp(static_cast<int>(ccei * kBins), 0, kBins - 1);
}

// The share of a simulation's CCEIs in each bin.
std::vector<double> binShares(const Power& simulation) {
    std::vector<double> shares(kBins, 0.0);
    for (const double ccei : simulation.cceis)
        shares[static_cast<std::size_t>(binOf(ccei))] += 1.0 / simulation.cceis.size();
    return shares;
}

// Bars of the counts, one per bin.
void drawBins(Plot& plot, const std::vector<double>& counts, const Fill& fill) {
    const Stroke edge{fill.colour.darker(1.5), 0.15};
    for (int b = 0; b < kBins; ++b) {
        const double count = counts[static_cast<std::size_t>(b)];
        if (count <= 0)
            continue;
        const Point top = plot.at(b / double(kBins), count);
        const Point bottom = plot.at((b + 1) / double(kBins), 0);
        plot.picture().rect(top.first, top.second, bottom.first - top.first,
                            bottom.second - top.second, fill, edge);
    }
}

// The outline of counts per bin, as steps.
void drawSteps(Plot& plot, const std::vector<double>& counts, const Stroke& stroke) {
    std::vector<Point> points = {plot.at(0, 0)};
    for (int b = 0; b < kBins; ++b) {
        points.push_back(plot.at(b / double(kBins), counts[static_cast<std::size_t>(b)]));
        points.push_back(plot.at((b + 1) / double(kBins), counts[static_cast<std::size_t>(b)]));
    }
    points.push_back(plot.at(1, 0));
    plot.picture().polyline(points, stroke);
}

// A key in the top left corner of a plot: a sample and its text per line.
void drawKey(Plot& plot, const std::vector<std::pair<std::string, Stroke>>& lines,
             const std::string& barsText, const Fill& bars) {
    const Point corner = plot.at(0, 0);
    double y = kTopRoom + 4;
    const double x = corner.first + 3;
    double widest = svg::textWidth(barsText, 7);
    for (const auto& line : lines)
        widest = std::max(widest, svg::textWidth(line.first, 7));
    // A white ground, so that the key reads where bars rise behind it.
    plot.picture().rect(x - 1.5, y - 3.6, widest + 10, 3.8 * (lines.size() + 1) + 1,
                        {{255, 255, 255}, 0.85});
    plot.picture().rect(x, y - 2.2, 5, 2.6, bars, {bars.colour.darker(1.5), 0.15});
    plot.picture().text({x + 7, y}, barsText, {7, false, kBlack, Anchor::start});
    for (const auto& [text, stroke] : lines) {
        y += 3.8;
        plot.picture().line({x, y - 0.9}, {x + 5, y - 0.9}, stroke);
        plot.picture().text({x + 7, y}, text, {7, false, kBlack, Anchor::start});
    }
}

} // namespace

Picture sharesPlot(const Subject& subject, double width, double height) {
    double widest = 0.5;
    for (const Decision& d : subject.decisions)
        if (d.used)
            widest = std::max(widest, std::fabs(std::log(d.rateOne / d.rateTwo)));
    // A margin around the data, so that the markers of choices at an end of a range show whole.
    Axis x = niceAxis(-widest, widest, 6);
    x.low -= 0.03 * (x.high - x.low);
    x.high += 0.03 * (x.high - x.low);
    Plot plot(width, height, x, Axis{-0.04, 1.04, 0.2});
    plot.drawFrame("Share of the money to side one", "log(rate one / rate two)",
                   "money to side one / all money");
    if (subject.all().used == 0) {
        plot.drawNote("No usable problem: none was answered with an amount and two rates above 0.");
        return plot.picture();
    }
    plot.picture().line(plot.at(x.low, 0.5), plot.at(x.high, 0.5), {kLineGrey, 0.3, 1, true});
    // Side one's rate is higher right of 0: all to side one gives the most money there.
    plot.picture().polyline({plot.at(x.low, 0), plot.at(0, 0), plot.at(0, 1), plot.at(x.high, 1)},
                            {kDarkLine, 0.3});
    for (const Decision& d : subject.decisions)
        if (d.used)
            marker(plot.picture(), plot.at(std::log(d.rateOne / d.rateTwo), *d.shareMoneyOne),
                   typeIndex(d.record.pt));
    return plot.picture();
}

Picture budgetLinesPlot(const Subject& subject, double width, double height) {
    double one = 0;
    double two = 0;
    for (const Decision& d : subject.decisions)
        if (d.used) {
            one = std::max(one, d.record.a * d.rateOne);
            two = std::max(two, d.record.a * d.rateTwo);
        }
    Plot plot(width, height, niceAxis(0, one), niceAxis(0, two));
    plot.drawFrame("Budget lines and the choices", "money to side one", "money to side two");
    for (const Decision& d : subject.decisions)
        if (d.used)
            plot.picture().line(plot.at(d.record.a * d.rateOne, 0),
                                plot.at(0, d.record.a * d.rateTwo),
                                {typeColour(typeIndex(d.record.pt)), 0.18, 0.47});
    for (const Decision& d : subject.decisions)
        if (d.used)
            marker(plot.picture(), plot.at(*d.moneyOne, *d.moneyTwo), typeIndex(d.record.pt));
    return plot.picture();
}

Picture decisionTimesPlot(const Subject& subject, double width, double height) {
    int last = 1;
    double slowest = 0;
    for (const Decision& d : subject.decisions) {
        last = std::max(last, d.record.pn);
        if (d.decisionMs)
            slowest = std::max(slowest, static_cast<double>(*d.decisionMs) / 1000);
    }
    // The axis ends just after the last problem, with ticks at round problem numbers.
    const Axis problems{0, last + 1.0, niceAxis(0, last + 1, 10, 1).step};
    Plot plot(width, height, problems, niceAxis(0, std::max(slowest, 1.0), 4));
    plot.drawFrame("Decision time of each problem", "problem (pn)", "seconds");
    if (!subject.timed) {
        plot.drawNote("No run log of this results file beside it: no decision times.");
        return plot.picture();
    }
    for (const Decision& d : subject.decisions)
        if (d.decisionMs) {
            const Point top = plot.at(d.record.pn - 0.35, *d.decisionMs / 1000.0);
            const Point bottom = plot.at(d.record.pn + 0.35, 0);
            plot.picture().rect(top.first, top.second, bottom.first - top.first,
                                bottom.second - top.second, {typeColour(typeIndex(d.record.pt))});
        }
    return plot.picture();
}

Picture cceiDistribution(const std::vector<Subject>& subjects, double width, double height) {
    std::vector<double> counts(kBins, 0.0);
    std::vector<double> random(kBins, 0.0);
    bool simulated = false;
    for (const Subject& subject : subjects) {
        const Scope& all = subject.all();
        if (all.used == 0)
            continue;
        counts[static_cast<std::size_t>(binOf(all.consistency.ccei))] += 1;
        if (all.simulation) {
            simulated = true;
            const std::vector<double> shares = binShares(*all.simulation);
            for (int b = 0; b < kBins; ++b)
                random[static_cast<std::size_t>(b)] += shares[static_cast<std::size_t>(b)];
        }
    }
    const double highest =
        std::max(*std::ranges::max_element(counts), *std::ranges::max_element(random));
    Plot plot(width, height, niceAxis(0, 1), niceAxis(0, std::max(highest, 1.0), 5, 1));
    plot.drawFrame("Distribution of the CCEI", "CCEI (all problems of a results file)",
                   "results files");
    const Fill bars{typeColour(0)};
    drawBins(plot, counts, bars);
    if (*std::ranges::max_element(counts) == 0) {
        plot.drawNote("No results file has a usable problem.");
        return plot.picture();
    }
    if (simulated) {
        const Stroke randomLine{kRandom, 0.35};
        drawSteps(plot, random, randomLine);
        drawKey(plot, {{"random choosers on the same lines (as many)", randomLine}},
                "the results files", bars);
    }
    return plot.picture();
}

Picture randomChoosersPlot(const Scope& scope, double width, double height) {
    const std::vector<double> shares =
        scope.simulation ? binShares(*scope.simulation) : std::vector<double>(kBins, 0.0);
    Plot plot(width, height, niceAxis(0, 1),
              niceAxis(0, std::max(0.1, *std::ranges::max_element(shares))));
    plot.drawFrame("The CCEI of random choosers on the same budget lines", "CCEI", "share");
    if (!scope.simulation || scope.used == 0) {
        plot.drawNote(scope.used == 0 ? "No usable problem."
                                      : "No random choosers simulated (--power-draws 0).");
        return plot.picture();
    }
    const Fill bars{kRandom, 0.55};
    drawBins(plot, shares, bars);
    // The subject's own index: a line with a mark on top, so that it shows at the frame too.
    const Stroke own{typeColour(0), 0.5};
    const double ccei = scope.consistency.ccei;
    const Point top = plot.at(ccei, std::max(0.1, *std::ranges::max_element(shares)));
    plot.picture().line(plot.at(ccei, 0), top, own);
    plot.picture().polygon(
        {{top.first - 1.1, top.second - 1.6}, {top.first + 1.1, top.second - 1.6}, top},
        {typeColour(0)}, {typeColour(0).darker(1.5), 0.12});
    drawKey(plot, {{"this results file: " + doubleText(ccei), own}},
            doubleText(scope.simulation->draws) + " random choosers", bars);
    return plot.picture();
}

Picture typeLegend(double width) {
    Picture legend(width, 5);
    const double y = 2.5;
    double x = 2;
    for (int t = 0; t < 6; ++t) {
        marker(legend, {x, y}, t);
        legend.text({x + 2, y + 0.9}, "type " + doubleText(kTypes[t]),
                    {7.5, false, kBlack, Anchor::start});
        x += 17;
    }
    legend.line({x, y}, {x + 7, y}, {kLineGrey, 0.3, 1, true});
    legend.text({x + 9, y + 0.9}, "equal split", {7.5, false, kBlack, Anchor::start});
    x += 30;
    legend.line({x, y}, {x + 7, y}, {kDarkLine, 0.3});
    legend.text({x + 9, y + 0.9}, "the choices with the most money in total",
                {7.5, false, kBlack, Anchor::start});
    return legend;
}

} // namespace tovask::report
