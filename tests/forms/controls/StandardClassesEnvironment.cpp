// Linked into the test programs whose layouts name the library's standard classes:
// registers them before the first test, as the tool's forms do before their layouts.
#include <gtest/gtest.h>

#include "forms/controls/StandardClasses.h"

namespace {

class StandardClasses : public ::testing::Environment {
    void SetUp() override { forms::RegisterStandardClasses(); }
};

[[maybe_unused]] ::testing::Environment* const kRegistered = ::testing::AddGlobalTestEnvironment(new StandardClasses);

}  // namespace
