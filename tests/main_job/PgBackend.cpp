#include "AssignmentRunTest.h"

INSTANTIATE_TEST_SUITE_P(PostgreSQL, AssignmentRunTest, ::testing::Values(Backend::PostgreSQL));
