#!/bin/sh
# The resident memory of an idle orvane-host after launch, beside a minimal C++ program that
# only waits, measured in the same run. Both as a first launch (onboarding window open) and as
# the everyday agent (onboarding done, status item only). Needs the default build.
set -eu
bin="$(cd "$(dirname "$0")/.." && pwd)/build/default/bin"
if [ ! -x "$bin/orvane-host" ] || [ ! -x "$bin/orvane_minimal_wait" ]; then
  echo "build first: cmake --preset default && cmake --build --preset default" >&2; exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-memory-XXXXXX")
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/orvane" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME"

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# Starts the host, waits for its launch to finish, lets it settle, prints its RSS in KiB.
host_rss() {
  rm -f "$XDG_CONFIG_HOME/autostart/orvane-host.desktop"
  "$bin/orvane-host" > "$work/host.out" 2>&1 &
  pid=$!
  i=0
  while [ ! -e "$XDG_CONFIG_HOME/autostart/orvane-host.desktop" ] && [ $i -lt 400 ]; do
    sleep 0.05; i=$((i + 1))
  done
  sleep 1
  rss_kib "$pid"
  kill -TERM "$pid"; wait "$pid"
}

"$bin/orvane_minimal_wait" > /dev/null &
floor_pid=$!
sleep 1
floor=$(rss_kib "$floor_pid")

first=$(host_rss)
printf 'onboardingComplete\tbool\ttrue\n' > "$XDG_CONFIG_HOME/orvane/tamsel.Orvane-.defaults"
agent=$(host_rss)
kill -TERM "$floor_pid"; wait "$floor_pid" || true

report() { # label KiB
  awk -v label="$1" -v kib="$2" -v floor="$floor" 'BEGIN {
    printf "%-28s %6.2f MiB  (%+.2f MiB over the floor)\n", label, kib / 1024, (kib - floor) / 1024 }'
}
report "minimal C++ program (floor)" "$floor"
report "orvane-host, first launch" "$first"
report "orvane-host, agent" "$agent"
