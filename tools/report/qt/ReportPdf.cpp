#include "tools/report/qt/ReportPdf.h"

#include "base/Numbers.h"
#include "tools/report/qt/Plot.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace tovask::report {

namespace {

using pdf::mm;

constexpr double kPageWidth = 297; // A4 landscape, in millimetres
constexpr double kPageHeight = 210;
constexpr int kRowsPerSessionPage = 30;
constexpr double kTypes[] = {11, 12, 13, 21, 22, 23};

int typeIndex(double pt) {
    return static_cast<int>(std::find(std::begin(kTypes), std::end(kTypes), pt) -
                            std::begin(kTypes));
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// Three decimals at most, for the figures shown on the pages.
std::string shortNumber(double x) {
    return doubleText(roundHalfEven(x * 1000) / 1000);
}

std::string optionalNumber(const std::optional<double>& x) {
    return x ? shortNumber(*x) : "";
}

const Scope& allScope(const Subject& subject) {
    return subject.scopes.front();
}

std::string cceiText(const Scope& scope) {
    return scope.used > 0 ? shortNumber(scope.consistency.ccei) : "";
}

class Pages {
public:
    Pages(QPdfWriter& writer, int total) : writer_(writer), painter_(&writer), total_(total) {}

    QPainter& painter() { return painter_; }

    // Starts the next page (the first is there already) and numbers it.
    void next() {
        if (number_ > 0)
            writer_.newPage();
        ++number_;
        painter_.setPen(QColor(110, 110, 110));
        painter_.setFont(pdf::textFont(7));
        painter_.drawText(
            QRectF(mm(kPageWidth - 60), mm(kPageHeight - 9), mm(50), mm(4)),
            Qt::AlignRight | Qt::AlignVCenter,
            text("page " + std::to_string(number_) + " of " + std::to_string(total_)));
        painter_.setPen(Qt::black);
    }

    void title(const std::string& heading, const std::string& line) {
        painter_.setPen(Qt::black);
        painter_.setFont(pdf::textFont(13, true));
        painter_.drawText(QRectF(mm(10), mm(6), mm(kPageWidth - 20), mm(8)),
                          Qt::AlignLeft | Qt::AlignVCenter, text(heading));
        painter_.setFont(pdf::textFont(8.5));
        painter_.drawText(QRectF(mm(10), mm(14), mm(kPageWidth - 20), mm(5)),
                          Qt::AlignLeft | Qt::AlignVCenter, text(line));
    }

    // A table: one header row, then the rows; columns of the widths given (millimetres), the
    // first one left-aligned; a cell that does not fit is shortened with "..." at its start.
    void table(double left, double top, const std::vector<double>& widths,
               const std::vector<std::vector<std::string>>& rows) {
        const double rowHeight = 5;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const double y = top + rowHeight * static_cast<double>(r);
            painter_.setFont(pdf::textFont(r == 0 ? 7 : 7.5, r == 0));
            if (r % 2 == 1)
                painter_.fillRect(QRectF(mm(left), mm(y), mm(total(widths)), mm(rowHeight)),
                                  QColor(242, 242, 242));
            double x = left;
            for (std::size_t c = 0; c < widths.size() && c < rows[r].size(); ++c) {
                const QRectF cell(mm(x + 1), mm(y), mm(widths[c] - 2), mm(rowHeight));
                // A long file name keeps its end, which names the PC's folder and the file.
                const QString shown =
                    r == 0 ? text(rows[r][c])
                           : painter_.fontMetrics().elidedText(text(rows[r][c]), Qt::ElideLeft,
                                                               static_cast<int>(cell.width()));
                painter_.drawText(
                    cell, (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, shown);
                x += widths[c];
            }
        }
        painter_.setPen(QPen(Qt::black, mm(0.2)));
        painter_.drawLine(QPointF(mm(left), mm(top + rowHeight)),
                          QPointF(mm(left + total(widths)), mm(top + rowHeight)));
    }

private:
    static double total(const std::vector<double>& widths) {
        double sum = 0;
        for (const double w : widths)
            sum += w;
        return sum;
    }

    QPdfWriter& writer_;
    QPainter painter_;
    int total_;
    int number_ = 0;
};

void drawCceiDistribution(QPainter& painter, const std::vector<Subject>& subjects) {
    // Bins of 0.05; the last one holds 1.
    constexpr int kBins = 20;
    int counts[kBins] = {};
    std::vector<double> indices;
    for (const Subject& subject : subjects)
        if (allScope(subject).used > 0) {
            const double ccei = allScope(subject).consistency.ccei;
            indices.push_back(ccei);
            ++counts[std::min(kBins - 1, static_cast<int>(ccei * kBins))];
        }
    const int highest = *std::max_element(std::begin(counts), std::end(counts));
    pdf::Plot plot(painter, QRectF(196, 26, 92, 85), pdf::niceAxis(0, 1),
                   pdf::niceAxis(0, std::max(highest, 1), 5, 1));
    plot.drawFrame("Distribution of the CCEI", "CCEI (all problems of a results file)",
                   "results files");
    painter.save();
    painter.setPen(QPen(QColor(0, 80, 130), mm(0.15)));
    painter.setBrush(pdf::typeColour(0));
    for (int b = 0; b < kBins; ++b)
        if (counts[b] > 0)
            painter.drawRect(
                QRectF(plot.at(b / double(kBins), counts[b]), plot.at((b + 1) / double(kBins), 0)));
    painter.restore();
    if (indices.empty()) {
        plot.drawNote("No results file has a usable problem.");
        return;
    }
    std::ranges::sort(indices);
    const std::size_t n = indices.size();
    const double median = n % 2 == 1 ? indices[n / 2] : (indices[n / 2 - 1] + indices[n / 2]) / 2;
    double mean = 0;
    for (const double c : indices)
        mean += c / static_cast<double>(n);
    const auto consistent = std::ranges::count(indices, 1.0);
    painter.setFont(pdf::textFont(8));
    painter.drawText(QRectF(mm(210), mm(114), mm(80), mm(30)), Qt::AlignLeft | Qt::TextWordWrap,
                     text("Over " + std::to_string(n) + " results files: mean " +
                          shortNumber(mean) + ", median " + shortNumber(median) + ", lowest " +
                          shortNumber(indices.front()) + ".\n" + std::to_string(consistent) +
                          " without any GARP violation (CCEI 1)."));
}

void drawSessionPages(Pages& pages, const std::vector<Subject>& subjects, std::size_t problems) {
    for (std::size_t first = 0; first == 0 || first < subjects.size();
         first += kRowsPerSessionPage) {
        pages.next();
        pages.title("The session" + std::string(first > 0 ? " (continued)" : ""),
                    std::to_string(subjects.size()) + " results files, " +
                        std::to_string(problems) +
                        " problems. Consistency of the choices of each file over all its "
                        "problems; a page for each file follows.");
        std::vector<std::vector<std::string>> rows = {{"results file", "problems", "used",
                                                       "GARP violations", "CCEI", "mean share",
                                                       "corners"}};
        for (std::size_t i = first; i < std::min(subjects.size(), first + kRowsPerSessionPage);
             ++i) {
            const Scope& all = allScope(subjects[i]);
            rows.push_back({subjects[i].name + (subjects[i].recovered ? " (recovered)" : ""),
                            std::to_string(all.problems), std::to_string(all.used),
                            std::to_string(all.consistency.violations), cceiText(all),
                            optionalNumber(all.meanShareMoneyOne), std::to_string(all.corners)});
        }
        pages.table(10, 26, {80, 16, 12, 26, 14, 22, 14}, rows);
        if (first == 0)
            drawCceiDistribution(pages.painter(), subjects);
    }
}

void drawLegend(QPainter& painter, double top) {
    painter.save();
    painter.setFont(pdf::textFont(7.5));
    double x = 12;
    for (int t = 0; t < 6; ++t) {
        pdf::drawMarker(painter, QPointF(mm(x), mm(top)), t);
        painter.drawText(QRectF(mm(x + 2), mm(top - 2), mm(16), mm(4)), Qt::AlignVCenter,
                         text("type " + doubleText(kTypes[t])));
        x += 17;
    }
    painter.setPen(QPen(QColor(120, 120, 120), mm(0.3), Qt::DashLine));
    painter.drawLine(QPointF(mm(x), mm(top)), QPointF(mm(x + 7), mm(top)));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(mm(x + 9), mm(top - 2), mm(22), mm(4)), Qt::AlignVCenter,
                     "equal split");
    x += 30;
    painter.setPen(QPen(QColor(40, 40, 40), mm(0.3)));
    painter.drawLine(QPointF(mm(x), mm(top)), QPointF(mm(x + 7), mm(top)));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(mm(x + 9), mm(top - 2), mm(70), mm(4)), Qt::AlignVCenter,
                     "the choices with the most money in total");
    painter.restore();
}

void drawShares(QPainter& painter, const Subject& subject) {
    double widest = 0.5;
    for (const Decision& d : subject.decisions)
        if (d.used)
            widest = std::max(widest, std::fabs(std::log(d.rateOne / d.rateTwo)));
    // A margin around the data, so that the markers of choices at an end of a range show whole.
    pdf::Axis x = pdf::niceAxis(-widest, widest, 6);
    x.low -= 0.03 * (x.high - x.low);
    x.high += 0.03 * (x.high - x.low);
    pdf::Plot plot(painter, QRectF(8, 30, 150, 96), x, pdf::Axis{-0.04, 1.04, 0.2});
    plot.drawFrame("Share of the money to side one", "log(rate one / rate two)",
                   "money to side one / all money");
    if (allScope(subject).used == 0) {
        plot.drawNote("No usable problem: none was answered with an amount and two rates above 0.");
        return;
    }
    painter.save();
    painter.setClipRect(plot.inner());
    painter.setPen(QPen(QColor(120, 120, 120), mm(0.3), Qt::DashLine));
    painter.drawLine(plot.at(x.low, 0.5), plot.at(x.high, 0.5));
    // Side one's rate is higher right of 0: all to side one gives the most money there.
    painter.setPen(QPen(QColor(40, 40, 40), mm(0.3)));
    painter.drawPolyline(
        QPolygonF({plot.at(x.low, 0), plot.at(0, 0), plot.at(0, 1), plot.at(x.high, 1)}));
    painter.setClipping(false);
    for (const Decision& d : subject.decisions)
        if (d.used)
            pdf::drawMarker(painter, plot.at(std::log(d.rateOne / d.rateTwo), *d.shareMoneyOne),
                            typeIndex(d.record.pt));
    painter.restore();
}

void drawBudgetLines(QPainter& painter, const Subject& subject) {
    double one = 0;
    double two = 0;
    for (const Decision& d : subject.decisions)
        if (d.used) {
            one = std::max(one, d.record.a * d.rateOne);
            two = std::max(two, d.record.a * d.rateTwo);
        }
    pdf::Plot plot(painter, QRectF(164, 30, 126, 96), pdf::niceAxis(0, one), pdf::niceAxis(0, two));
    plot.drawFrame("Budget lines and the choices", "money to side one", "money to side two");
    painter.save();
    painter.setClipRect(plot.inner());
    for (const Decision& d : subject.decisions)
        if (d.used) {
            QColor colour = pdf::typeColour(typeIndex(d.record.pt));
            colour.setAlpha(120);
            painter.setPen(QPen(colour, mm(0.18)));
            painter.drawLine(plot.at(d.record.a * d.rateOne, 0),
                             plot.at(0, d.record.a * d.rateTwo));
        }
    painter.setClipping(false);
    for (const Decision& d : subject.decisions)
        if (d.used)
            pdf::drawMarker(painter, plot.at(*d.moneyOne, *d.moneyTwo), typeIndex(d.record.pt));
    painter.restore();
}

void drawDecisionTimes(QPainter& painter, const Subject& subject) {
    int last = 1;
    double slowest = 0;
    for (const Decision& d : subject.decisions) {
        last = std::max(last, d.record.pn);
        if (d.decisionMs)
            slowest = std::max(slowest, static_cast<double>(*d.decisionMs) / 1000);
    }
    // The axis ends just after the last problem, with ticks at round problem numbers.
    const pdf::Axis problems{0, last + 1.0, pdf::niceAxis(0, last + 1, 10, 1).step};
    pdf::Plot plot(painter, QRectF(8, 130, 196, 70), problems,
                   pdf::niceAxis(0, std::max(slowest, 1.0), 4));
    plot.drawFrame("Decision time of each problem", "problem (pn)", "seconds");
    if (!subject.timed) {
        plot.drawNote("No run log of this results file beside it: no decision times.");
        return;
    }
    painter.save();
    painter.setClipRect(plot.inner());
    painter.setPen(Qt::NoPen);
    for (const Decision& d : subject.decisions)
        if (d.decisionMs) {
            painter.setBrush(pdf::typeColour(typeIndex(d.record.pt)));
            painter.drawRect(QRectF(plot.at(d.record.pn - 0.35, *d.decisionMs / 1000.0),
                                    plot.at(d.record.pn + 0.35, 0)));
        }
    painter.restore();
}

void drawSubjectPage(Pages& pages, const Subject& subject) {
    pages.next();
    const Scope& all = allScope(subject);
    std::string line =
        std::to_string(all.problems) + " problems, " + std::to_string(all.used) + " used";
    if (all.used > 0)
        line += "; GARP violations " + std::to_string(all.consistency.violations) + ", CCEI " +
                cceiText(all) + ", mean share of the money to side one " +
                optionalNumber(all.meanShareMoneyOne) + ", corner choices " +
                std::to_string(all.corners);
    pages.title(subject.name + (subject.recovered ? " (recovered from its run log)" : ""), line);
    QPainter& painter = pages.painter();
    drawLegend(painter, 24);
    drawShares(painter, subject);
    drawBudgetLines(painter, subject);
    drawDecisionTimes(painter, subject);

    std::vector<std::vector<std::string>> rows = {
        {"scope", "used", "violations", "CCEI", "mean share"}};
    for (const Scope& scope : subject.scopes)
        rows.push_back({scope.name == "all" ? "all problems" : "type " + scope.name,
                        std::to_string(scope.used), std::to_string(scope.consistency.violations),
                        cceiText(scope), optionalNumber(scope.meanShareMoneyOne)});
    painter.setPen(Qt::black);
    painter.setFont(pdf::textFont(9, true));
    painter.drawText(QRectF(mm(212), mm(131), mm(76), mm(6)), Qt::AlignLeft | Qt::AlignBottom,
                     "Consistency by scope");
    pages.table(212, 138, {22, 10, 16, 11, 18}, rows);
}

// Qt's painting needs its GUI layer, which a command-line program starts offscreen. Qt's own
// warnings (a runtime folder not set, for one) say nothing about the report: only its critical
// messages reach the experimenter.
std::unique_ptr<QGuiApplication> startGuiLayer() {
    if (QGuiApplication::instance())
        return nullptr;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "tovask-report: %s\n", message.toLocal8Bit().constData());
    });
    static int argc = 3;
    static char name[] = "tovask-report";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

std::string reportPdf(const std::vector<Subject>& subjects) {
    const auto application = startGuiLayer();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator("tovask-report");
        writer.setTitle("tovask-report");
        writer.setResolution(static_cast<int>(pdf::kDotsPerInch));
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        std::size_t problems = 0;
        for (const Subject& subject : subjects)
            problems += subject.decisions.size();
        const int sessionPages = std::max<int>(
            1, static_cast<int>((subjects.size() + kRowsPerSessionPage - 1) / kRowsPerSessionPage));
        Pages pages(writer, sessionPages + static_cast<int>(subjects.size()));
        pages.painter().setRenderHint(QPainter::Antialiasing);
        drawSessionPages(pages, subjects, problems);
        for (const Subject& subject : subjects)
            drawSubjectPage(pages, subject);
    }
    return buffer.data().toStdString();
}

} // namespace tovask::report
