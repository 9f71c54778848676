#!/usr/bin/env bash
# Builds the Debian package in ./build-package (a Release build installed
# under /usr) and checks it; the package is left there: sprav_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset debian-package
cmake --build build-package
scripts/check-package.sh build-package
