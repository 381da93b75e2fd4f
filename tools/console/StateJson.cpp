#include "tools/console/StateJson.h"

#include "base/Numbers.h"
#include "tools/common/Json.h"

#include <cmath>

namespace tovask::console {

using tools::JsonWriter;

namespace {

void member(JsonWriter& json, std::string_view name, std::string_view text) {
    json.key(name);
    json.string(text);
}

void member(JsonWriter& json, std::string_view name, int value) {
    json.key(name);
    json.number(value);
}

// A whole number of the unit, or null.
void wholeMember(JsonWriter& json, std::string_view name, const std::optional<double>& value) {
    json.key(name);
    if (value)
        json.number(static_cast<std::int64_t>(std::floor(*value)));
    else
        json.null();
}

// name: an array of one object per item, whose members write(item) writes.
template <typename Items, typename Write>
void objects(JsonWriter& json, std::string_view name, const Items& items, Write write) {
    json.key(name);
    json.beginArray();
    for (const auto& item : items) {
        json.beginObject();
        write(item);
        json.endObject();
    }
    json.endArray();
}

void strings(JsonWriter& json, std::string_view name, const std::vector<std::string>& texts) {
    json.key(name);
    json.beginArray();
    for (const std::string& text : texts)
        json.string(text);
    json.endArray();
}

void runJson(JsonWriter& json, const RunRow& row) {
    json.beginObject();
    member(json, "id", row.id);
    member(json, "folder", row.folder);
    member(json, "pc", row.pc);
    member(json, "input_data_file", row.inputDataFile);
    member(json, "results_file", row.resultsFile);
    member(json, "language", row.language);
    member(json, "treatment", row.treatment);
    member(json, "reading_time", row.readingTime);
    member(json, "waiting_time", row.waitingTime);
    member(json, "phase", phaseText(row.phase));
    json.key("stage");
    if (row.stage)
        json.number(*row.stage);
    else
        json.null();
    member(json, "stage_text", row.stageText);
    member(json, "waiting_at", row.waitingAt);
    json.key("release_sent");
    json.boolean(row.releaseSent);
    member(json, "problem", row.problem);
    member(json, "problems", row.problems);
    member(json, "answered", row.answered);
    wholeMember(json, "reading_left", row.readingLeft);
    wholeMember(json, "seconds_on_problem", row.secondsOnProblem);
    wholeMember(json, "seconds_since_start", row.secondsSinceStart);
    wholeMember(json, "decision_median_ms", row.medianDecisionMs);
    wholeMember(json, "seconds_since_alive", row.secondsSinceAlive);
    wholeMember(json, "seconds_left", row.secondsLeft);
    strings(json, "warnings", row.warnings);
    json.endObject();
}

void planJson(JsonWriter& json, const PlanView& plan) {
    json.beginObject();
    json.key("present");
    json.boolean(plan.present);
    objects(json, "rows", plan.rows, [&json](const PlanRow& row) {
        member(json, "pc", row.pc);
        member(json, "input_data_file", row.inputDataFile);
        member(json, "language", row.language);
        member(json, "treatment", row.treatment);
        member(json, "time_to_wait", row.timeToWait);
        member(json, "reading_time", row.readingTime);
    });
    strings(json, "problems", plan.problems);
    json.endObject();
}

} // namespace

std::string stateJson(const StateParts& parts, std::optional<std::int64_t> polledAt) {
    JsonWriter json;
    json.beginObject();
    json.key("runs");
    json.beginArray();
    for (const RunRow& row : parts.rows)
        runJson(json, row);
    json.endArray();

    json.key("summary");
    json.beginObject();
    member(json, "pcs", static_cast<int>(parts.rows.size()));
    json.key("phases");
    json.beginArray();
    for (int phase = 0; phase < kPhases; ++phase) {
        if (parts.summary.phases[static_cast<std::size_t>(phase)] == 0)
            continue;
        json.beginObject();
        member(json, "phase", phaseText(static_cast<Phase>(phase)));
        member(json, "count", parts.summary.phases[static_cast<std::size_t>(phase)]);
        json.endObject();
    }
    json.endArray();
    wholeMember(json, "seconds_left", parts.summary.secondsLeft);
    json.endObject();

    json.key("plan");
    planJson(json, parts.plan);

    objects(json, "folders", parts.folders, [&json](const DataFolder& folder) {
        member(json, "label", folder.label);
        member(json, "path", folder.path.string());
    });

    json.key("payments");
    json.beginObject();
    member(json, "count", static_cast<int>(parts.payments.payments.size()));
    member(json, "file", parts.paymentsFile);
    strings(json, "problems", parts.payments.problems);
    json.endObject();

    if (polledAt) {
        json.key("polled_at");
        json.number(*polledAt);
    }
    json.endObject();
    return json.text();
}

std::string paymentsJson(const PaymentList& list, const std::string& file) {
    JsonWriter json;
    json.beginObject();
    objects(json, "payments", list.payments, [&json](const Payment& p) {
        member(json, "folder", p.folder);
        member(json, "pc", p.pc);
        member(json, "input_data_file", p.inputDataFile);
        member(json, "results_file", p.resultsFile);
        member(json, "task", p.task);
        member(json, "side_one_groups", p.sideOneGroups);
        member(json, "units_one", doubleText(p.unitsOne));
        member(json, "money_one", doubleText(p.moneyOne));
        member(json, "side_two_groups", p.sideTwoGroups);
        member(json, "units_two", doubleText(p.unitsTwo));
        member(json, "money_two", doubleText(p.moneyTwo));
    });
    objects(json, "by_group", list.byGroup, [&json](const GroupTotal& total) {
        member(json, "group", total.group);
        member(json, "money", doubleText(total.money));
    });
    strings(json, "problems", list.problems);
    member(json, "file", file);
    json.endObject();
    return json.text();
}

std::string releasedJson(const Session::Released& released) {
    JsonWriter json;
    json.beginObject();
    strings(json, "released", released.released);
    objects(json, "not_released", released.notReleased, [&json](const auto& refused) {
        member(json, "run", refused.first);
        member(json, "why", refused.second);
    });
    json.endObject();
    return json.text();
}

std::string errorsJson(const std::vector<std::string>& errors) {
    JsonWriter json;
    json.beginObject();
    strings(json, "errors", errors);
    json.endObject();
    return json.text();
}

} // namespace tovask::console
