#include "tools/console/Routes.h"

#include "base/Failure.h"
#include "files/SessionPlan.h"
#include "tools/console/Page.h"
#include "tools/console/StateJson.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <sstream>

namespace tovask::console {

namespace pt = boost::property_tree;

namespace {

constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kJson = "application/json";

pt::ptree parseJson(const std::string& body) {
    pt::ptree tree;
    std::istringstream in(body);
    try {
        pt::read_json(in, tree);
    } catch (const pt::json_parser_error& error) {
        throw Failure("the body is not JSON: " + error.message() + " at line " +
                      std::to_string(error.line()));
    }
    return tree;
}

// The texts of a JSON array member; nothing when the member is a single value.
std::optional<std::vector<std::string>> textsOf(const pt::ptree& array, const std::string& name) {
    if (array.empty())
        return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& [key, item] : array) {
        if (!key.empty() || !item.empty())
            throw Failure("\"" + name + "\" must be a list of texts");
        texts.push_back(item.data());
    }
    return texts;
}

HttpResponse fileOrMissing(const std::shared_ptr<const std::string>& text) {
    if (!text)
        return {503, kText, "not ready yet\n"};
    return {200, kJson, *text};
}

} // namespace

ReleaseAsked readReleaseBody(const std::string& body) {
    const pt::ptree tree = parseJson(body);
    ReleaseAsked asked;
    const std::string hold = tree.get<std::string>("hold", "");
    if (hold != "1" && hold != "2")
        throw Failure("\"hold\" must be 1 or 2");
    asked.hold = hold == "1" ? 1 : 2;
    const auto runs = tree.get_child_optional("runs");
    if (!runs)
        throw Failure("\"runs\" is missing: \"all\" or a list of runs");
    asked.runs = textsOf(*runs, "runs");
    // An empty list reads as an empty text: it chooses no run.
    if (!asked.runs && runs->data() != "all") {
        if (!runs->data().empty())
            throw Failure("\"runs\" must be \"all\" or a list of runs");
        asked.runs = std::vector<std::string>();
    }
    return asked;
}

std::vector<PlanRow> readPlanBody(const std::string& body) {
    const pt::ptree tree = parseJson(body);
    const auto rows = tree.get_child_optional("rows");
    if (!rows)
        throw Failure("\"rows\" is missing");
    std::vector<PlanRow> plan;
    for (const auto& [key, item] : *rows) {
        if (!key.empty())
            throw Failure("\"rows\" must be a list");
        PlanRow row;
        row.line = static_cast<int>(plan.size()) + 2;
        for (const PlanColumn& column : SessionPlan::kColumns)
            row.*column.field = item.get<std::string>(std::string(column.name), "");
        plan.push_back(std::move(row));
    }
    return plan;
}

void Routes::operator()(const HttpRequest& request, const HttpServer::Reply& reply) {
    const bool get = request.method == "GET";
    if (get && (request.path == "/" || request.path == "/index.html"))
        return reply({200, "text/html; charset=utf-8", pageHtml(token_)});
    if (get && request.path == "/console.js")
        return reply({200, "text/javascript; charset=utf-8", std::string(pageScript())});
    if (get && request.path == "/console.css")
        return reply({200, "text/css; charset=utf-8", std::string(pageStyle())});
    if (get && request.path == "/api/state")
        return reply(fileOrMissing(monitor_.state()));
    if (get && request.path == "/api/payments")
        return reply(fileOrMissing(monitor_.payments()));
    if (get && (request.path == "/payments.csv" || request.path == "/payments-by-group.csv")) {
        const bool byGroup = request.path == "/payments-by-group.csv";
        return monitor_.submit([reply, byGroup](Session& session) {
            const PaymentList list = session.payments();
            reply({200, "text/csv; charset=utf-8",
                   byGroup ? paymentsByGroupCsv(list) : paymentsCsv(list)});
        });
    }
    if (request.method == "POST" && request.path == "/api/release") {
        ReleaseAsked asked;
        try {
            asked = readReleaseBody(request.body);
        } catch (const Failure& failure) {
            return reply({400, kJson, errorsJson({failure.what()})});
        }
        return monitor_.submit([reply, asked](Session& session) {
            reply(
                {200, kJson, releasedJson(session.release(asked.hold, asked.runs, Clock::now()))});
        });
    }
    if (request.method == "POST" && request.path == "/api/plan") {
        std::vector<PlanRow> rows;
        try {
            rows = readPlanBody(request.body);
        } catch (const Failure& failure) {
            return reply({400, kJson, errorsJson({failure.what()})});
        }
        return monitor_.submit([reply, rows](Session& session) {
            const std::vector<std::string> errors = session.writePlan(rows);
            reply({errors.empty() ? 200 : 400, kJson, errorsJson(errors)});
        });
    }
    if (get || request.method == "POST")
        return reply({404, kText, "not found\n"});
    reply({405, kText, "only GET and POST\n"});
}

} // namespace tovask::console
