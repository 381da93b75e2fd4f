#pragma once
// The JSON the console's page and scripts read: the state of the session, the payment list and
// the answers to a release.

#include "tools/console/Payments.h"
#include "tools/console/Session.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovask::console {

struct StateParts {
    const std::vector<RunRow>& rows;
    const Summary& summary;
    const PlanView& plan;
    const std::vector<DataFolder>& folders;
    const PaymentList& payments;
    std::string paymentsFile; // where the console writes the payment list
};

// {"runs": [...], "summary": {...}, "plan": {...}, "folders": [...], "payments": {...}} and,
// when given, "polled_at": when the folders were read, in ms since 1970 on this computer's
// clock. Times are whole seconds (decision times whole ms), so the text changes only when
// something shown does.
std::string stateJson(const StateParts& parts, std::optional<std::int64_t> polledAt);

// {"payments": [...], "by_group": [...], "problems": [...], "file": "..."}; the numbers as texts,
// as the payment list writes them.
std::string paymentsJson(const PaymentList& list, const std::string& file);

// {"released": [id...], "not_released": [{"run": id, "why": "..."}...]}
std::string releasedJson(const Session::Released& released);

// {"errors": ["..."]}
std::string errorsJson(const std::vector<std::string>& errors);

} // namespace tovask::console
