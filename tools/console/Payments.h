#pragma once
// The payment list of a session: one row per run that was played out, with the colour names the
// subject saw and the units and money of each side, and the money per colour group. Derived
// from the run logs alone, so it can be written again at any time.

#include "tools/console/DataFolders.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tovask::console {

struct Payment {
    std::string folder; // the data folder's label
    std::string pc;     // the plan's PC of its input data file; empty without one
    std::string inputDataFile;
    std::string resultsFile; // the name: "out01.001"
    int task = 0;
    std::string sideOneGroups, sideTwoGroups; // "blue"; a pair: "red and yellow"
    double unitsOne = 0, moneyOne = 0, unitsTwo = 0, moneyTwo = 0;
};

struct GroupTotal {
    std::string group; // a side's colour names as the payment list writes them
    double money = 0;
};

struct PaymentList {
    std::vector<Payment> payments;     // by PC, then results file
    std::vector<GroupTotal> byGroup;   // by name
    std::vector<std::string> problems; // logs or word files that could not be read, and why
};

// Reads every run log of the folders (out<text>.<digits>.log; logs kept from earlier runs are
// left out). A run's PC is the one plannedPc gives for its folder and input data file (the
// session plan's): a log does not name its PC.
using PlannedPc = std::function<std::string(const DataFolder&, const std::string& inputDataFile)>;
PaymentList collectPayments(const std::vector<DataFolder>& folders, const PlannedPc& plannedPc);

// payments.csv and payments-by-group.csv; numbers as the results file writes them, with a
// point whatever the locale.
std::string paymentsCsv(const PaymentList& list);
std::string paymentsByGroupCsv(const PaymentList& list);

// Writes both files, each atomically: payments-by-group.csv goes beside the file named. Throws
// tovask::Failure naming the file that cannot be written.
void writePayments(const PaymentList& list, const std::filesystem::path& file);
std::filesystem::path byGroupPath(const std::filesystem::path& paymentsFile);

} // namespace tovask::console
