#pragma once
#include <functional>
#include <string>

// The pass against a simulated drive (SimulatedDrive.h), one run: draws the drive's
// rules, an archive of awkward names, an earlier state and a fault schedule, then
// presses the button until "Ho Finito!" after the faults, checking after every press
// that every song is there exactly once and unchanged, that every link leads where it
// led, that the message names what is where it says and counts what is there, and
// that, once the faults stop, a press completes or names only what can never move.
// `pick(n)` draws a number below n. The result says what failed and how to bring it
// about again; it is empty when every check held.
namespace sim {

std::string Simulate(const std::function<unsigned(unsigned)>& pick);

}  // namespace sim
