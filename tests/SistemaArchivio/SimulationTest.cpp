// The pass against simulated drives: a fixed number of seeded runs (Simulation.h).
// SA_SIMULATION_RUN=n runs the one run a failure names; SA_SIMULATION_RUNS=n that many.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/SistemaArchivio/Simulation.h"

TEST(Simulation, SeededRuns) {
    constexpr unsigned long kRuns = 1000;
    const char* only = std::getenv("SA_SIMULATION_RUN");
    const char* runs = std::getenv("SA_SIMULATION_RUNS");
    const unsigned long first = only ? std::strtoul(only, nullptr, 10) : 1;
    const unsigned long last = only ? first : runs ? std::strtoul(runs, nullptr, 10) : kRuns;
    for (unsigned long seed = first; seed <= last; ++seed) {
        std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
        const std::string found = sim::Simulate([&random](unsigned n) { return random() % n; });
        ASSERT_TRUE(found.empty()) << "run " << seed << ": " << found;
    }
}
