#pragma once
// A whole run of ten problems of every type as a tovask-script script, with the problems
// answered after each line: the run that the tests of broken runs break at every point.

#include <string>
#include <vector>

namespace tovask::test {

// Ten problems of every type, with amounts and rates that give fractional answers.
inline const char* const kTenProblems = "10\r\n"
                                        "1,14,11,10,1,0.5,2\r\n"
                                        "2,3,21,8,1,1.5,1.5\r\n"
                                        "3,7,12,12.5,1.5,1,1\r\n"
                                        "4,22,13,15,2,1,0.5\r\n"
                                        "5,1,22,7,0.75,2,2\r\n"
                                        "6,9,23,9,3,0.25,0.25\r\n"
                                        "7,11,11,3.3,1,0.1,0.7\r\n"
                                        "8,2,13,20,0.3,1.7,1\r\n"
                                        "9,5,21,6,1,2.5,2.5\r\n"
                                        "10,4,12,11,0.9,1,1.1\r\n";

struct Step {
    std::string line;
    int answered;  // problems answered once this line has been acted on
    bool killHere; // a point worth breaking the run at
};

// The whole run of data/inp01.001, played out; three slider moves in every problem.
// killHere marks every answer, the middle of every problem's slider moves, the start, and the
// results file and the end.
inline std::vector<Step> tenProblemRun() {
    std::vector<Step> steps = {{"set ReadTimeInput 1", 0, false},
                               {"set TimeToWait 1", 0, false},
                               {"click", 0, true},
                               {"click", 0, false},
                               {"tick", 0, false},
                               {"key 3", 0, false},
                               {"click", 0, false}};
    for (int p = 1; p <= 10; ++p) {
        const int before = p - 1;
        steps.push_back({"click", before, false});
        steps.push_back({"slider " + std::to_string(37 * p), before, false});
        steps.push_back({"slider " + std::to_string(1000 - 61 * p), before, true});
        steps.push_back({"tick", before, false});
        steps.push_back({"slider " + std::to_string(90 * p + 3), before, false});
        steps.push_back({"click", p, true});
    }
    steps.push_back({"click", 10, true}); // the results file
    steps.push_back({"key 3", 10, false});
    steps.push_back({"click", 10, false});
    steps.push_back({"set TaskNumber 4", 10, false});
    steps.push_back({"click", 10, true});
    return steps;
}

} // namespace tovask::test
