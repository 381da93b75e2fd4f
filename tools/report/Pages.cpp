#include "tools/report/Pages.h"

#include "base/Numbers.h"
#include "tools/report/Plots.h"
#include "tools/report/Tables.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tovask::report {

using svg::Anchor;
using svg::Colour;
using svg::Font;
using svg::Picture;

namespace {

constexpr std::size_t kRowsPerSessionPage = 30;
const Colour kBlack{0, 0, 0};
const Colour kGrey{110, 110, 110};

// At most `decimals` decimals, for the figures shown on the pages.
std::string shortNumber(double x, int decimals = 3) {
    return doubleText(roundedTo(x, decimals));
}

std::string optionalNumber(const std::optional<double>& x, int decimals = 3) {
    return x ? shortNumber(*x, decimals) : "";
}

// A figure of a search: the figure where it was proved, else the bounds the search proved.
std::string searched(const std::optional<double>& figure, double low, double high, int decimals) {
    return figure ? shortNumber(*figure, decimals)
                  : shortNumber(low, decimals) + "\xE2\x80\x93" + shortNumber(high, decimals);
}

struct Figures {
    std::string ccei, hmi, mpiMin, mpiMax, power, percentile;
};

Figures figuresOf(const Scope& scope) {
    if (scope.used == 0)
        return {};
    const SearchFigures proved = searchFigures(scope);
    const double used = scope.used;
    const MoneyPump& pump = scope.moneyPump;
    return {shortNumber(scope.consistency.ccei),
            searched(proved.hmi, scope.consistentProblems.low / used,
                     scope.consistentProblems.high / used, 3),
            searched(proved.mpiMin, pump.least.low, pump.least.high, 4),
            searched(proved.mpiMax, pump.most.low, pump.most.high, 4),
            optionalNumber(scope.power()),
            optionalNumber(scope.cceiPercentile())};
}

class PageDrawing {
public:
    PageDrawing(int number, int total) : picture_(kPageWidth, kPageHeight) {
        picture_.text({kPageWidth - 10, kPageHeight - 3.5},
                      "page " + std::to_string(number) + " of " + std::to_string(total),
                      {7, false, kGrey, Anchor::end});
    }

    Picture& picture() { return picture_; }

    void title(const std::string& heading, const std::string& line) {
        picture_.text({10, 12}, svg::elideLeft(heading, 13, kPageWidth - 20),
                      {13, true, kBlack, Anchor::start});
        double y = 17.5;
        for (const std::string& part : svg::wrapText(line, 8.5, kPageWidth - 20)) {
            picture_.text({10, y}, part, {8.5, false, kBlack, Anchor::start});
            y += 3.6;
        }
    }

    // A table: one header row, then the rows; columns of the widths given, the first one
    // left-aligned; a cell that does not fit is shortened at its start, which keeps the end
    // of a file's path (the PC's folder and the file).
    void table(double left, double top, double rowHeight, const std::vector<double>& widths,
               const std::vector<std::vector<std::string>>& rows) {
        const double total = std::accumulate(widths.begin(), widths.end(), 0.0);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const double y = top + rowHeight * static_cast<double>(r);
            if (r % 2 == 1)
                picture_.rect(left, y, total, rowHeight, {{242, 242, 242}});
            const double points = r == 0 ? 6.5 : 7.5;
            double x = left;
            for (std::size_t c = 0; c < widths.size() && c < rows[r].size(); ++c) {
                const std::string cell =
                    r == 0 ? rows[r][c] : svg::elideLeft(rows[r][c], points, widths[c] - 2);
                const Font font{points, r == 0, kBlack, c == 0 ? Anchor::start : Anchor::end};
                picture_.text({c == 0 ? x + 1 : x + widths[c] - 1, y + rowHeight / 2 + 1.0}, cell,
                              font);
                x += widths[c];
            }
        }
        picture_.line({left, top + rowHeight}, {left + total, top + rowHeight}, {kBlack, 0.2});
    }

    Page page(const std::string& title) const { return {title, picture_.document(title)}; }

private:
    Picture picture_;
};

std::string cceiSummary(const std::vector<Subject>& subjects) {
    std::vector<double> indices;
    std::vector<double> percentiles;
    for (const Subject& subject : subjects) {
        const Scope& all = subject.all();
        if (all.used == 0)
            continue;
        indices.push_back(all.consistency.ccei);
        if (const auto percentile = all.cceiPercentile())
            percentiles.push_back(*percentile);
    }
    if (indices.empty())
        return "";
    const auto median = [](std::vector<double> values) {
        std::ranges::sort(values);
        const std::size_t n = values.size();
        return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    };
    const double mean =
        std::accumulate(indices.begin(), indices.end(), 0.0) / static_cast<double>(indices.size());
    std::string text = "Over " + std::to_string(indices.size()) + " results files: mean " +
                       shortNumber(mean) + ", median " + shortNumber(median(indices)) +
                       ", lowest " + shortNumber(*std::ranges::min_element(indices)) + "; " +
                       std::to_string(std::ranges::count(indices, 1.0)) +
                       " without any GARP violation (CCEI 1).";
    if (!percentiles.empty())
        text += "\nThe median subject's CCEI is above that of " +
                shortNumber(100 * median(percentiles), 1) +
                "% of the random choosers on the same budget lines.";
    return text;
}

void drawSessionPages(std::vector<Page>& pages, const std::vector<Subject>& subjects, int total) {
    std::size_t problems = 0;
    for (const Subject& subject : subjects)
        problems += subject.decisions.size();
    for (std::size_t first = 0; first == 0 || first < subjects.size();
         first += kRowsPerSessionPage) {
        PageDrawing page(static_cast<int>(pages.size()) + 1, total);
        page.title("The session" + std::string(first > 0 ? " (continued)" : ""),
                   std::to_string(subjects.size()) + " results files, " + std::to_string(problems) +
                       " problems. Consistency of the choices of each file over all its "
                       "problems; a page for each file follows.");
        std::vector<std::vector<std::string>> rows = {
            {"results file", "problems", "used", "violations", "CCEI", "HMI", "MPI max", "power",
             "CCEI pctl", "mean share", "corners"}};
        for (std::size_t i = first; i < std::min(subjects.size(), first + kRowsPerSessionPage);
             ++i) {
            const Scope& all = subjects[i].all();
            const Figures figures = figuresOf(all);
            rows.push_back({subjects[i].name + (subjects[i].recovered ? " (recovered)" : ""),
                            std::to_string(all.problems), std::to_string(all.used),
                            std::to_string(all.consistency.violations), figures.ccei, figures.hmi,
                            figures.mpiMax, figures.power, figures.percentile,
                            optionalNumber(all.meanShareMoneyOne), std::to_string(all.corners)});
        }
        page.table(8, 24, 5, {56, 13, 9, 15, 11, 11, 13, 11, 15, 16, 12}, rows);
        if (first == 0) {
            page.picture().place(cceiDistribution(subjects, 92, 90), {199, 22});
            double y = 118;
            const std::string summary = cceiSummary(subjects);
            for (std::size_t from = 0; from < summary.size();) {
                const std::size_t end = std::min(summary.find('\n', from), summary.size());
                for (const std::string& line :
                     svg::wrapText(summary.substr(from, end - from), 8, 80)) {
                    page.picture().text({212, y}, line, {8, false, kBlack, Anchor::start});
                    y += 3.8;
                }
                from = end + 1;
                y += 1.5;
            }
        }
        pages.push_back(page.page(pages.empty() ? "The session" : "The session (continued)"));
    }
}

void drawSubjectPage(std::vector<Page>& pages, const Subject& subject, int total) {
    PageDrawing page(static_cast<int>(pages.size()) + 1, total);
    const Scope& all = subject.all();
    const Figures figures = figuresOf(all);
    std::string line =
        std::to_string(all.problems) + " problems, " + std::to_string(all.used) + " used";
    if (all.used > 0) {
        line += "; GARP violations " + std::to_string(all.consistency.violations) + ", CCEI " +
                figures.ccei + ", HMI " + figures.hmi + ", MPI " + figures.mpiMin + " to " +
                figures.mpiMax;
        if (const auto percentile = all.cceiPercentile())
            line += ", power " + figures.power + " (CCEI above " +
                    shortNumber(100 * *percentile, 1) + "% of random choosers)";
        line += ", mean share of the money to side one " + optionalNumber(all.meanShareMoneyOne) +
                ", corner choices " + std::to_string(all.corners);
    }
    page.title(subject.name + (subject.recovered ? " (recovered from its run log)" : ""), line);
    Picture& picture = page.picture();
    picture.place(typeLegend(kPageWidth - 20), {10, 22.5});
    picture.place(sharesPlot(subject, 144, 90), {6, 29});
    picture.place(budgetLinesPlot(subject, 140, 90), {151, 29});
    picture.place(decisionTimesPlot(subject, 144, 83), {6, 121});

    picture.text({152, 126}, "Consistency by scope", {9, true, kBlack, Anchor::start});
    std::vector<std::vector<std::string>> rows = {{"scope", "used", "violations", "CCEI", "HMI",
                                                   "MPI min", "MPI max", "power", "CCEI pctl",
                                                   "mean share"}};
    std::vector<std::string> notes;
    for (const Scope& scope : subject.scopes) {
        const Figures f = figuresOf(scope);
        const std::string name = scope.name == "all" ? "all problems" : "type " + scope.name;
        rows.push_back({name, std::to_string(scope.used),
                        std::to_string(scope.consistency.violations), f.ccei, f.hmi, f.mpiMin,
                        f.mpiMax, f.power, f.percentile, optionalNumber(scope.meanShareMoneyOne)});
        if (const std::string note = searchNote(scope); !note.empty())
            notes.push_back(name + ": " + note);
    }
    page.table(152, 128, 4.5, {22, 9, 15, 11, 11, 13, 13, 11, 14, 19}, rows);
    double y = 128 + 4.5 * static_cast<double>(rows.size()) + 3;
    for (const std::string& note : notes)
        for (const std::string& text : svg::wrapText(note, 6.5, 136)) {
            picture.text({152, y}, text, {6.5, false, kGrey, Anchor::start});
            y += 2.8;
        }
    picture.place(randomChoosersPlot(all, 140, std::max(28.0, 204 - y)), {150, y - 2});
    pages.push_back(page.page(subject.name));
}

} // namespace

std::vector<Page> reportPages(const std::vector<Subject>& subjects) {
    const int sessionPages = static_cast<int>(std::max<std::size_t>(
        1, (subjects.size() + kRowsPerSessionPage - 1) / kRowsPerSessionPage));
    const int total = sessionPages + static_cast<int>(subjects.size());
    std::vector<Page> pages;
    drawSessionPages(pages, subjects, total);
    for (const Subject& subject : subjects)
        drawSubjectPage(pages, subject, total);
    return pages;
}

} // namespace tovask::report
