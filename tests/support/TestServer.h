// SPDX-License-Identifier: MIT
#pragma once

// The PostgreSQL test server of scripts/pg-test-server.sh, stopped and
// started again by a test (SPRAV_PG_SCRIPT and SPRAV_PG_DIR name it). A
// server this object paused is resumed by release() (a test case's
// cleanup) or when it goes, so that a failed test leaves it running.
class TestServer
{
public:
    TestServer() = default;
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // False when the server cannot be stopped here (no script given) or the
    // script failed.
    bool pause();
    bool resume();
    void release();

private:
    bool run(const char* command);

    bool m_paused = false;
};
