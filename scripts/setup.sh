#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing,
# then configures and builds the project into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config ccache clang-format
          qt6-base-dev qt6-base-dev-tools libgl-dev
          libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n
          libsodium-dev libsqlite3-dev qtkeychain-qt6-dev libpq-dev sqlite3
          postgresql postgresql-contrib poppler-utils fonts-dejavu-core
          dpkg-dev desktop-file-utils appstream lintian
          libldap-dev ldap-utils libmicrohttpd-dev libphonenumber-dev
          libxml2-utils curl openssl)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    if [[ $(id -u) -ne 0 ]]; then
        echo "These Debian packages are missing: ${missing[*]}" >&2
        echo "Install them as root: apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build_type=${SPRAV_BUILD_TYPE:-RelWithDebInfo}
if [[ ! -f build/CMakeCache.txt ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type" ${SPRAV_CMAKE_ARGS:-}
fi
cmake --build build
