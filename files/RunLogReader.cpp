#include "files/RunLogReader.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/RunLog.h"
#include "files/TextFile.h"

#include <cmath>
#include <utility>

namespace tovask {

namespace {

using namespace logread;
namespace key = logged::key;

// The value of one name in the detail column, read as T; nothing when absent or malformed.
template <typename T>
std::optional<T> detailNumber(std::string_view detail, std::string_view name) {
    const auto text = detailValue(detail, name);
    return text ? exactValue<T>(*text) : std::nullopt;
}

// An answer column: empty where nothing was stored, otherwise a finite number.
bool readAnswer(std::string_view text, std::optional<double>& all) {
    if (text.empty())
        return true;
    all = exactValue<double>(text);
    return all && std::isfinite(*all);
}

std::optional<What> problemShown(std::optional<int> problem, std::string_view detail) {
    ProblemShown shown;
    const auto rev = detailNumber<int>(detail, key::kRev);
    const auto inv = detailNumber<int>(detail, key::kInv);
    const auto pt = detailNumber<double>(detail, key::kPt);
    const auto orig = detailNumber<double>(detail, key::kOrig);
    const auto a = detailNumber<double>(detail, key::kAmount);
    if (!problem || !rev || !inv || !pt || !orig || !a || (*rev != 0 && *rev != 1) ||
        (*inv != 0 && *inv != 1))
        return std::nullopt;
    for (int k = 1; k <= 3; ++k) {
        const auto rate = detailNumber<float>(detail, key::kRate[k]);
        if (!rate)
            return std::nullopt;
        shown.e[static_cast<std::size_t>(k)] = *rate;
    }
    shown.pn = *problem;
    shown.rev = *rev;
    shown.inv = *inv;
    shown.pt = *pt;
    shown.orig = *orig;
    shown.a = *a;
    return shown;
}

std::optional<What> sliderMoved(std::optional<int> problem, std::string_view value,
                                std::string_view detail) {
    SliderMoved moved;
    const auto position = exactValue<int>(value);
    const auto all = detailValue(detail, key::kAll);
    if (!problem || !position || !all || !readAnswer(*all, moved.all))
        return std::nullopt;
    moved.pn = *problem;
    moved.value = *position;
    moved.bySubject = detailValue(detail, key::kBy) == key::kBySubject;
    return moved;
}

std::optional<What> problemAnswered(std::optional<int> problem, std::string_view value,
                                    std::string_view detail) {
    ProblemAnswered answered;
    if (!problem || !readAnswer(value, answered.all))
        return std::nullopt;
    answered.pn = *problem;
    answered.moves = detailNumber<std::int64_t>(detail, key::kMoves);
    answered.decisionMs = detailNumber<std::int64_t>(detail, key::kDecisionMs);
    return answered;
}

std::optional<What> released(std::string_view detail) {
    const auto hold = detailValue(detail, key::kReleased);
    Released release;
    if (hold == key::kReleasedInstructions)
        release.hold = HoldPoint::Instructions;
    else if (hold == key::kReleasedPlayingOut)
        release.hold = HoldPoint::PlayingOut;
    else
        return std::nullopt;
    release.byConsole = detailValue(detail, key::kBy) == key::kByConsole;
    return release;
}

std::optional<What> playedOut(std::optional<int> problem, std::string_view detail) {
    const auto unitsOne = detailNumber<double>(detail, key::kUnitsOne);
    const auto unitsTwo = detailNumber<double>(detail, key::kUnitsTwo);
    const auto moneyOne = detailNumber<double>(detail, key::kMoneyOne);
    const auto moneyTwo = detailNumber<double>(detail, key::kMoneyTwo);
    if (!problem || !unitsOne || !unitsTwo || !moneyOne || !moneyTwo)
        return std::nullopt;
    return PlayedOut{*problem, *unitsOne, *unitsTwo, *moneyOne, *moneyTwo};
}

// What the columns of one line say; nothing when the line is damaged.
std::optional<What> what(std::string_view event, std::optional<int> problem, std::string value,
                         std::string detail) {
    if (event == logged::kParameter)
        return Parameter{std::move(detail), std::move(value)};
    if (event == logged::kProblemShown)
        return problemShown(problem, detail);
    if (event == logged::kSlider)
        return sliderMoved(problem, value, detail);
    if (event == logged::kProblemAnswered)
        return problemAnswered(problem, value, detail);
    if (event == logged::kExperimenterKey)
        return released(detail);
    if (event == logged::kResultsWritten)
        return ResultsWritten{std::move(value)};
    if (event == logged::kResultsFailed)
        return ResultsFailed{std::move(value), std::move(detail)};
    if (event == logged::kPlayedOut)
        return playedOut(problem, detail);
    if (event == logged::kWindowClosed)
        return WindowClosed{problem};
    if (event == logged::kStaleLockRemoved)
        return StaleLockRemoved{std::move(value)};
    return Other{std::string(event), problem, std::move(value), std::move(detail)};
}

} // namespace

RunLogReader::RunLogReader(std::string file) : file_(std::move(file)) {}

std::vector<RunLogEvent> RunLogReader::read(std::string_view bytes) {
    std::vector<RunLogEvent> events;
    piece_.append(bytes);
    std::size_t start = 0;
    // A quoted field may hold a line end, so a line ends at the first line end outside quotes:
    // every quote opens or closes, and a doubled quote does both.
    for (std::size_t i = scanned_; i < piece_.size(); ++i) {
        const char c = piece_[i];
        if (c == '"') {
            inQuotes_ = !inQuotes_;
        } else if (c == '\n' && inQuotes_) {
            ++extraLineEnds_;
        } else if (c == '\n') {
            std::string_view line(piece_.data() + start, i - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            const int lineNumber = nextLine_;
            nextLine_ += 1 + extraLineEnds_;
            extraLineEnds_ = 0;
            start = i + 1;
            if (!headerRead_) {
                if (line != RunLog::kHeader)
                    break; // refused below
                headerRead_ = true;
                continue;
            }
            readLine(line, lineNumber, events);
        }
    }
    const std::string_view header = RunLog::kHeader;
    if (!headerRead_ &&
        (start > 0 ||
         std::string_view(piece_).substr(0, header.size()) != header.substr(0, piece_.size()) ||
         piece_.size() > header.size() + 1))
        throw notARunLog();
    piece_.erase(0, start);
    scanned_ = piece_.size();
    return events;
}

void RunLogReader::readLine(std::string_view line, int lineNumber,
                            std::vector<RunLogEvent>& events) {
    auto fields = splitCsvLine(line);
    if (!fields || fields->size() != 7) {
        damagedLines_.push_back(lineNumber);
        return;
    }
    const auto ms = exactValue<std::int64_t>((*fields)[1]);
    const auto stage = exactValue<int>((*fields)[2]);
    const std::string& problemText = (*fields)[4];
    const auto problem = exactValue<int>(problemText);
    std::optional<What> read;
    if (ms && stage && (problemText.empty() || problem))
        read = what((*fields)[3], problem, std::move((*fields)[5]), std::move((*fields)[6]));
    if (!read) {
        damagedLines_.push_back(lineNumber);
        return;
    }
    events.push_back({lineNumber, std::move((*fields)[0]), *ms, *stage, std::move(*read)});
}

Failure RunLogReader::notARunLog() const {
    return Failure(file_ + " is not a run log of tovask: its first line is not \"" +
                   std::string(RunLog::kHeader) + "\"");
}

ReadRunLog parseRunLog(std::string_view text, const std::string& file) {
    RunLogReader reader(file);
    ReadRunLog log;
    log.events = reader.read(text);
    if (!reader.headerRead())
        throw reader.notARunLog();
    log.damagedLines = reader.damagedLines();
    log.endsInPiece = reader.endsInPiece();
    return log;
}

const std::string* runParameter(const std::vector<RunLogEvent>& events, std::string_view name) {
    for (const RunLogEvent& event : events)
        if (const auto* parameter = event.as<Parameter>(); parameter && parameter->name == name)
            return &parameter->value;
    return nullptr;
}

RunLogFollower::RunLogFollower(std::filesystem::path path)
    : path_(std::move(path)), reader_(path_.string()) {}

RunLogFollower::Poll RunLogFollower::poll() {
    // The header and the first event (its time to the millisecond) tell one run's log from the
    // next one's under the same name.
    constexpr std::size_t kHead = 256;
    // At most this much is read at one poll; the rest comes with the next ones.
    constexpr std::size_t kChunk = std::size_t{4} << 20;
    Poll poll;
    FilePart part = readFilePart(path_, "run log", offset_, kChunk, head_.size());
    if (part.size < offset_ || part.head != head_) {
        poll.reset = true;
        reader_ = RunLogReader(path_.string());
        offset_ = 0;
        head_.clear();
        part = readFilePart(path_, "run log", 0, kChunk, 0);
    }
    if (head_.size() < kHead)
        head_ = (head_ + part.bytes).substr(0, kHead);
    offset_ += part.bytes.size();
    poll.events = reader_.read(part.bytes);
    return poll;
}

} // namespace tovask
