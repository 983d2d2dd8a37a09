// Draws the simulated runs of the conversion (tests/SistemaArchivio/Simulation.h) from
// the fuzzer's bytes: each byte read picks the next choice. A run whose checks fail is
// a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/SistemaArchivio/Simulation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t at = 0;
    const auto pick = [&](unsigned n) -> unsigned {
        unsigned value = 0;
        for (unsigned range = 1; range < n && at < size; range *= 256) value = value * 256 + data[at++];
        return value % n;
    };
    const std::string found = sim::Simulate(pick);
    if (!found.empty()) {
        std::fprintf(stderr, "%s\n", found.c_str());
        std::abort();
    }
    return 0;
}
