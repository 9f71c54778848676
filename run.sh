#!/usr/bin/env bash
# Sets everything up, builds, and starts the program in ./work on the
# embedded SQLite database (created with its schema at the first start).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
mkdir -p work
[[ -f work/sprav.udl ]] || printf 'Provider=SQLite;Data Source=sprav.db\n' >work/sprav.udl
cd work
exec ../build/src/sprav "$@"
