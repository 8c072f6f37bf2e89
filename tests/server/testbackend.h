#pragma once
// The store the backend-independent tests run on: SQLite in test_server, and a
// PostgreSQL server of the tests' own in test_server_postgres.

#include "server/scorestore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

// Why the backend cannot be tested here; empty when it can.
std::string backendProblem();
// A store kept in (or named after) the folder: opening it again for the same
// folder opens the same data.
std::unique_ptr<ScoreStore> openTestStore(const std::filesystem::path &folder);

// Tests of a backend skip, saying why, when it cannot be had.
class BackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string problem = backendProblem();
        if (!problem.empty())
            GTEST_SKIP() << problem;
    }
};
