#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL cluster for the tests.
#   source scripts/pg-test-server.sh start   # exports SPRAV_PG_HOST/PORT/USER/DIR/SCRIPT
#   scripts/pg-test-server.sh stop DIR
#   scripts/pg-test-server.sh pause DIR      # stops the server, keeps the cluster
#   scripts/pg-test-server.sh resume DIR     # starts it again
#   scripts/pg-test-server.sh restart DIR    # both (sprav_bench --restart)
# The cluster lives in a temporary folder, listens on a Unix socket in that
# folder only, and runs as the 'postgres' system user (initdb refuses root).
# The reconnect tests pause and resume it through SPRAV_PG_SCRIPT.

pg_script=$(readlink -f "${BASH_SOURCE[0]}")

pg_bin() {
    local dir
    dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    [[ -n "$dir" ]] || { echo "PostgreSQL server binaries not found" >&2; return 1; }
    echo "$dir"
}

as_pg_user() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

# Starts the server of the cluster in DIR, waiting until it accepts connections.
pg_server_up() {
    local dir=$1
    as_pg_user "$(pg_bin)/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -p 54329" \
        start >/dev/null || {
        cat "$dir/server.log" >&2
        return 1
    }
}

pg_test_start() {
    local bin dir
    bin=$(pg_bin) || return 1
    dir=$(mktemp -d /tmp/sprav-pg.XXXXXX)
    [[ $(id -u) -eq 0 ]] && chown postgres: "$dir"
    as_pg_user "$bin/initdb" -D "$dir/data" -U postgres --auth=trust \
        --encoding=UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        return 1
    }
    pg_server_up "$dir" || return 1
    export SPRAV_PG_DIR="$dir" SPRAV_PG_HOST="$dir" SPRAV_PG_PORT=54329 SPRAV_PG_USER=postgres
    export SPRAV_PG_SCRIPT="$pg_script"
}

pg_test_stop() {
    local dir=${1:-${SPRAV_PG_DIR:-}}
    [[ -n "$dir" && -d "$dir/data" ]] || return 0
    as_pg_user "$(pg_bin)/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}

# Stops the server as an administrator would (sessions are ended), waiting
# until it is down.
pg_test_pause() {
    local dir=${1:-${SPRAV_PG_DIR:-}}
    as_pg_user "$(pg_bin)/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
}

pg_test_resume() {
    pg_server_up "${1:-${SPRAV_PG_DIR:-}}"
}

case "${1:-}" in
start) pg_test_start ;;
stop) pg_test_stop "${2:-}" ;;
pause) pg_test_pause "${2:-}" ;;
resume) pg_test_resume "${2:-}" ;;
restart) pg_test_pause "${2:-}" && pg_test_resume "${2:-}" ;;
esac
