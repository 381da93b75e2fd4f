#include "tools/report/Consistency.h"

#include <cstdint>

namespace tovask::report {

namespace {

// A square matrix of bits, a row a set: the transitive closure by rows is a few word ORs.
class Relation {
public:
    explicit Relation(std::size_t n) : n_(n), words_((n + 63) / 64), bits_(n * words_) {}
    void set(std::size_t t, std::size_t s) { bits_[t * words_ + s / 64] |= bit(s); }
    bool has(std::size_t t, std::size_t s) const {
        return (bits_[t * words_ + s / 64] & bit(s)) != 0;
    }
    // Warshall: whenever t reaches k, t reaches everything k reaches.
    void close() {
        for (std::size_t k = 0; k < n_; ++k)
            for (std::size_t t = 0; t < n_; ++t)
                if (has(t, k))
                    for (std::size_t w = 0; w < words_; ++w)
                        bits_[t * words_ + w] |= bits_[k * words_ + w];
    }

private:
    static std::uint64_t bit(std::size_t s) { return std::uint64_t{1} << (s % 64); }
    std::size_t n_;
    std::size_t words_;
    std::vector<std::uint64_t> bits_;
};

double cost(const std::array<double, 2>& price, const std::array<double, 2>& bundle) {
    return price[0] * bundle[0] + price[1] * bundle[1];
}

} // namespace

int violations(const std::vector<Choice>& choices, double efficiency) {
    const std::size_t n = choices.size();
    // cost[t][s]: what the bundle chosen in s costs at the prices of t.
    std::vector<double> costs(n * n);
    for (std::size_t t = 0; t < n; ++t)
        for (std::size_t s = 0; s < n; ++s)
            costs[t * n + s] = cost(choices[t].price, choices[s].bundle);
    const auto spent = [&](std::size_t t) { return costs[t * n + t]; };

    Relation preferred(n);
    for (std::size_t t = 0; t < n; ++t)
        for (std::size_t s = 0; s < n; ++s)
            if (efficiency * spent(t) >= costs[t * n + s] - kTolerance * spent(t))
                preferred.set(t, s);
    preferred.close();

    int count = 0;
    for (std::size_t t = 0; t < n; ++t)
        for (std::size_t s = 0; s < n; ++s)
            if (t != s && preferred.has(t, s) &&
                efficiency * spent(s) > costs[s * n + t] + kTolerance * spent(s))
                ++count;
    return count;
}

Consistency consistency(const std::vector<Choice>& choices) {
    Consistency result;
    result.violations = violations(choices, 1.0);
    if (result.violations == 0)
        return result;
    // No choice is strictly preferred at efficiency 0, so 0 holds and 1 does not.
    int holds = 0;
    int fails = 1000;
    while (fails - holds > 1) {
        const int middle = (holds + fails) / 2;
        (violations(choices, middle / 1000.0) == 0 ? holds : fails) = middle;
    }
    result.ccei = holds / 1000.0;
    return result;
}

} // namespace tovask::report
