#!/usr/bin/env bash
# Builds the LDAP server's run over malformed messages with AddressSanitizer
# and UndefinedBehaviorSanitizer (in ./build-sanitize) and runs it: hostile
# input must neither crash the service nor touch memory it does not own.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ! -f build-sanitize/CMakeCache.txt ]]; then
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DSPRAV_SANITIZE=ON -DSPRAV_WERROR=ON >/dev/null
fi
cmake --build build-sanitize --target sprav_ldapfuzz
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    build-sanitize/tests/sprav_ldapfuzz "${1:-100000}"
