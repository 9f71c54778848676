#!/usr/bin/env bash
# Sets everything up, builds with warnings as errors, and runs every test on
# SQLite and on a PostgreSQL cluster started (and stopped) here.
set -euo pipefail
cd "$(dirname "$0")"
SPRAV_CMAKE_ARGS="-DSPRAV_WERROR=ON ${SPRAV_CMAKE_ARGS:-}" scripts/setup.sh

source scripts/pg-test-server.sh start
trap 'pg_test_stop' EXIT

ctest --test-dir build --output-on-failure -j2 "$@"

# The Debian package of this build, checked as a distribution would.
scripts/check-package.sh build

# The LDAP server's decoding of hostile messages, under the sanitizers.
scripts/sanitize.sh
