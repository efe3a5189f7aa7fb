#!/bin/sh
# The whole road in a scratch folder (or the folder given): starts the host, then plays Finder
# with orvane-finder: a new file of each kind, Copy Path, Cut and Paste (one name taken, so one
# item stays), and shows the results, the host's alerts and its log.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/default/bin"
if [ ! -x "$bin/orvane-finder" ] || [ ! -x "$bin/orvane-host" ]; then
  echo "build first: cmake --preset default && cmake --build --preset programs" >&2; exit 1
fi

work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/orvane-demo-XXXXXX")}
mkdir -p "$work/home/Desktop" "$work/run" "$work/config/orvane" "$work/data" \
         "$work/Documents/New" "$work/Documents/Inbox" "$work/Documents/Archive"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" ORVANE_GROUP_CONTAINERS="$work/groups"
export ORVANE_LOG_FILE="$work/host.log"
unset DISPLAY WAYLAND_DISPLAY ORVANE_HOST_PROGRAM
: > "$ORVANE_LOG_FILE"
printf 'onboardingComplete\tbool\ttrue\n' > "$XDG_CONFIG_HOME/orvane/tamsel.Orvane-.defaults"

"$bin/orvane-host" > "$work/host.out" 2> "$work/host.err" &
host=$!
trap 'kill -TERM $host 2>/dev/null || true' EXIT
i=0; while [ ! -S "$XDG_RUNTIME_DIR/orvane/host.sock" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done

cd "$work/Documents"
finder() { printf '$ orvane-finder %s\n' "$*"; "$bin/orvane-finder" "$@" 2>/dev/null; }
# Waits until the host has written $1 more log lines than before.
settle() { want=$(( $(wc -l < "$ORVANE_LOG_FILE") + $1 )); i=0
  while [ "$(wc -l < "$ORVANE_LOG_FILE")" -lt $want ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done; }

echo "== The menu Finder shows for a right-click on a folder's background"
finder menu --kind container --target New

echo; echo "== New files, one of each kind"
for kind in Txt Md Json Csv Html Py Js Swift Sh Docx Xlsx Pptx Rtf; do
  finder run "create$kind:" --target New; settle 3
done
for kind in Pages Numbers; do finder run "create$kind:" --target New; sleep 0.3; done
ls -l New

echo; echo "== Copy Path"
: > Inbox/report.txt; : > Inbox/notes.md; mkdir -p Inbox/photos; : > Archive/notes.md
finder run copyPath: --select Inbox/report.txt --select Inbox/photos
cat "$XDG_RUNTIME_DIR/orvane/pasteboard.txt"; echo

echo; echo "== Cut three items, then Paste into Archive (which has a notes.md already)"
finder run cutItems: --select Inbox/report.txt --select Inbox/notes.md --select Inbox/photos
# The top level only (the New File kinds are indented); the command echo is not counted.
finder menu --kind items --select Archive | grep -v '^  ' 
finder run pasteItems: --select Archive; settle 3; sleep 0.5
echo "Archive:"; ls -l Archive; echo "Inbox:"; ls -l Inbox

echo; echo "== What the host showed"; cat "$work/host.out"
echo; echo "== The host's log"; cat "$ORVANE_LOG_FILE"
echo; echo "scratch folder: $work"
