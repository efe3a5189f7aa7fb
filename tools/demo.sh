#!/bin/sh
# Plays Finder in a scratch folder (or the folder given): shows the contextual menus, copies
# paths, cuts, and asks for new files, and prints what the extension handed over.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
finder="$here/build/default/bin/orvane-finder"
[ -x "$finder" ] || { echo "build first: cmake --preset default && cmake --build --preset default" >&2; exit 1; }

work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/orvane-demo-XXXXXX")}
mkdir -p "$work/home/Desktop" "$work/run" "$work/config" "$work/Documents/Projects"
: > "$work/Documents/notes.txt"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export ORVANE_GROUP_CONTAINERS="$work/groups" ORVANE_LOG_FILE="$work/log.txt"
unset DISPLAY WAYLAND_DISPLAY
container="$work/groups/K4W7P2Z9QD.tamsel.Orvane"
cd "$work/Documents"

show() { printf '\n$ orvane-finder %s\n' "$*"; "$finder" "$@"; }

show menu --kind container --target .
show run copyPath: --select notes.txt --select Projects
printf 'pasteboard: %s\n' "$(cat "$work/run/orvane/pasteboard.txt")"
show run cutItems: --select notes.txt
printf 'cut.txt: %s\n' "$(cat "$container/cut.txt")"
show menu --kind items --select Projects
show run pasteItems: --select Projects
printf 'paste.txt: %s\n' "$(cat "$container/paste.txt")"
show run createMd: --select notes.txt
printf 'pending.txt: %s\n' "$(tr '\n' ' ' < "$container/pending.txt")"
printf '\nlog:\n'; cat "$work/log.txt"
printf '\nscratch folder: %s\n' "$work"
