#include "tools/console/StateJson.h"

#include "base/Numbers.h"
#include "files/SessionPlan.h"
#include "tools/common/Json.h"

#include <cmath>

namespace tovask::console {

using tools::JsonWriter;

namespace {

// A whole number of the unit, or null.
void wholeMember(JsonWriter& json, std::string_view name, const std::optional<double>& value) {
    json.key(name);
    if (value)
        json.number(static_cast<std::int64_t>(std::floor(*value)));
    else
        json.null();
}

void runJson(JsonWriter& json, const RunRow& row) {
    json.beginObject();
    json.member("id", row.id);
    json.member("folder", row.folder);
    json.member("pc", row.pc);
    json.member("input_data_file", row.inputDataFile);
    json.member("results_file", row.resultsFile);
    json.member("language", row.language);
    json.member("treatment", row.treatment);
    json.member("reading_time", row.readingTime);
    json.member("waiting_time", row.waitingTime);
    json.member("phase", phaseText(row.phase));
    json.member("stage", row.stage);
    json.member("stage_text", row.stageText);
    json.member("waiting_at", row.waitingAt);
    json.member("release_sent", row.releaseSent);
    json.member("problem", row.problem);
    json.member("problems", row.problems);
    json.member("answered", row.answered);
    wholeMember(json, "reading_left", row.readingLeft);
    wholeMember(json, "seconds_on_problem", row.secondsOnProblem);
    wholeMember(json, "seconds_since_start", row.secondsSinceStart);
    wholeMember(json, "decision_median_ms", row.medianDecisionMs);
    wholeMember(json, "seconds_since_alive", row.secondsSinceAlive);
    wholeMember(json, "seconds_left", row.secondsLeft);
    json.strings("warnings", row.warnings);
    json.endObject();
}

void planJson(JsonWriter& json, const PlanView& plan) {
    json.beginObject();
    json.member("present", plan.present);
    json.objects("rows", plan.rows, [&json](const PlanRow& row) {
        for (const PlanColumn& column : SessionPlan::kColumns)
            json.member(column.name, row.*column.field);
    });
    json.strings("problems", plan.problems);
    json.endObject();
}

} // namespace

std::string stateJson(const StateParts& parts, std::optional<std::int64_t> polledAt) {
    JsonWriter json;
    json.beginObject();
    json.beginArray("runs");
    for (const RunRow& row : parts.rows)
        runJson(json, row);
    json.endArray();

    json.beginObject("summary");
    json.member("pcs", static_cast<int>(parts.rows.size()));
    json.beginArray("phases");
    for (int phase = 0; phase < kPhases; ++phase) {
        if (parts.summary.phases[static_cast<std::size_t>(phase)] == 0)
            continue;
        json.beginObject();
        json.member("phase", phaseText(static_cast<Phase>(phase)));
        json.member("count", parts.summary.phases[static_cast<std::size_t>(phase)]);
        json.endObject();
    }
    json.endArray();
    wholeMember(json, "seconds_left", parts.summary.secondsLeft);
    json.endObject();

    json.key("plan");
    planJson(json, parts.plan);

    json.objects("folders", parts.folders, [&json](const DataFolder& folder) {
        json.member("label", folder.label);
        json.member("path", folder.path.string());
    });

    json.beginObject("payments");
    json.member("count", static_cast<int>(parts.payments.payments.size()));
    json.member("file", parts.paymentsFile);
    json.strings("problems", parts.payments.problems);
    json.endObject();

    if (polledAt)
        json.member("polled_at", *polledAt);
    json.endObject();
    return json.text();
}

std::string paymentsJson(const PaymentList& list, const std::string& file) {
    JsonWriter json;
    json.beginObject();
    json.objects("payments", list.payments, [&json](const Payment& p) {
        json.member("folder", p.folder);
        json.member("pc", p.pc);
        json.member("input_data_file", p.inputDataFile);
        json.member("results_file", p.resultsFile);
        json.member("task", p.task);
        json.member("side_one_groups", p.sideOneGroups);
        json.member("units_one", doubleText(p.unitsOne));
        json.member("money_one", doubleText(p.moneyOne));
        json.member("side_two_groups", p.sideTwoGroups);
        json.member("units_two", doubleText(p.unitsTwo));
        json.member("money_two", doubleText(p.moneyTwo));
    });
    json.objects("by_group", list.byGroup, [&json](const GroupTotal& total) {
        json.member("group", total.group);
        json.member("money", doubleText(total.money));
    });
    json.strings("problems", list.problems);
    json.member("file", file);
    json.endObject();
    return json.text();
}

std::string releasedJson(const Session::Released& released) {
    JsonWriter json;
    json.beginObject();
    json.strings("released", released.released);
    json.objects("not_released", released.notReleased, [&json](const auto& refused) {
        json.member("run", refused.first);
        json.member("why", refused.second);
    });
    json.endObject();
    return json.text();
}

std::string errorsJson(const std::vector<std::string>& errors) {
    JsonWriter json;
    json.beginObject();
    json.strings("errors", errors);
    json.endObject();
    return json.text();
}

} // namespace tovask::console
