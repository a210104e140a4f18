#include "AssignmentRunTest.h"

INSTANTIATE_TEST_SUITE_P(SQLite, AssignmentRunTest, ::testing::Values(Backend::SQLite));
