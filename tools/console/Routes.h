#pragma once
// What the console answers at each address (once the server has checked the request):
//   GET  /                       the page
//   GET  /console.js, /console.css
//   GET  /api/state              the state of the session (StateJson.h)
//   GET  /api/payments           the payment list
//   GET  /payments.csv, /payments-by-group.csv
//   POST /api/release            {"hold": 1 or 2, "runs": "all" or [id or results file, ...]}
//   POST /api/plan               {"rows": [{"pc", "input_data_file", "language", "treatment",
//                                           "time_to_wait", "reading_time"}, ...]}

#include "tools/console/HttpServer.h"
#include "tools/console/Monitor.h"

#include <string>

namespace tovask::console {

class Routes {
public:
    Routes(Monitor& monitor, std::string token) : monitor_(monitor), token_(std::move(token)) {}
    void operator()(const HttpRequest& request, const HttpServer::Reply& reply);

private:
    Monitor& monitor_;
    std::string token_;
};

// The JSON body of a release request: the hold point, and the runs chosen (none: all).
struct ReleaseAsked {
    int hold = 0;
    std::optional<std::vector<std::string>> runs;
};
// Throws tovask::Failure saying what is wrong with the body.
ReleaseAsked readReleaseBody(const std::string& body);
std::vector<PlanRow> readPlanBody(const std::string& body);

} // namespace tovask::console
