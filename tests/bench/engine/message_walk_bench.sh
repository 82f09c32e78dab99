#!/usr/bin/env bash
# Messages per second of a Messages run against fetching the same pages with curl.
#
# Starts groupsim with a generated group of 2,000 messages, archives it with
# brindle-cli (the real browser, every fixed wait scaled to zero), then fetches the
# same message pages with curl through the same proxy, one connection after the
# other, and prints both rates and their ratio. Everything runs on loopback with a
# throw-away HOME.
#
#   tests/bench/engine/message_walk_bench.sh [BIN_DIR] [MESSAGES]
#   (or: cmake --build build --target bench_message_walk)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
bin="${1:-$here/../../../build/bin}"
messages="${2:-2000}"
for program in groupsim brindle-cli; do
    [ -x "$bin/$program" ] || { echo "missing $bin/$program (build first)" >&2; exit 2; }
done
command -v curl >/dev/null || { echo "curl is needed for the baseline" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/brindle-bench-XXXXXX")"
groupsim_pid=""
cleanup() {
    [ -n "$groupsim_pid" ] && kill "$groupsim_pid" 2>/dev/null && wait "$groupsim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"

"$bin/groupsim" --port 0 --generate "groups=1,messages=$messages,seed=7,files=0" >"$work/groupsim.out" 2>&1 &
groupsim_pid=$!
port=""
for _ in $(seq 1 200); do
    port="$(sed -n 's/^groupsim listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/groupsim.out" | head -1)"
    [ -n "$port" ] && break
    sleep 0.05
done
[ -n "$port" ] || { echo "groupsim did not start:" >&2; cat "$work/groupsim.out" >&2; exit 1; }
proxy="http://127.0.0.1:$port"
export http_proxy="$proxy" https_proxy="$proxy"
unset no_proxy NO_PROXY

group="SimGroup1"
now() { date +%s.%N; }

start="$(now)"
"$bin/brindle-cli" download --section messages --group "$group" --dir "$work/archive" --pacing 0 \
    >"$work/cli.out" 2>&1 || { echo "brindle-cli failed:" >&2; tail -20 "$work/cli.out" >&2; exit 1; }
end="$(now)"
folder="$work/archive/Messages/$group"
saved="$(find "$folder" -type f | wc -l)"
cli_seconds="$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"

# The baseline: the same message pages, fetched by curl through the same proxy.
: >"$work/curl.cfg"
for file in "$folder"/*; do
    n="$(basename "$file" .html)"
    printf 'url = "http://groups.yahoo.com/group/%s/message/%d"\noutput = "/dev/null"\n' "$group" "$((10#$n))" >>"$work/curl.cfg"
done
start="$(now)"
curl --silent --show-error --fail --proxy "$proxy" --config "$work/curl.cfg"
end="$(now)"
curl_seconds="$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"

awk -v n="$saved" -v cli="$cli_seconds" -v curl="$curl_seconds" 'BEGIN {
    printf "messages archived:      %d\n", n
    printf "brindle-cli:            %8.2f s  %8.1f messages/s (browser, pacing 0, whole run)\n", cli, n / cli
    printf "curl, same pages:       %8.2f s  %8.1f pages/s\n", curl, n / curl
    printf "ratio brindle / curl:   %8.3f\n", (n / cli) / (n / curl)
}'
