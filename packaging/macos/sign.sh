#!/usr/bin/env bash
# Signs Orvane+.app innermost first, never with --deep: Sparkle's helpers and framework (as
# Sparkle's documentation orders them; the downloader keeps its entitlements), the appex with
# its entitlements, then the app with its own. Always the hardened runtime; a secure timestamp
# with a real identity (an ad-hoc signature cannot carry one). The build runs it with its
# identity, the release script with the Developer ID. With ORVANE_DRY_RUN=1 it prints the
# commands instead.
# Usage: sign.sh APP IDENTITY METADATA [--sparkle]
#   METADATA holds the entitlements as configured (build/…/bundle-metadata); --sparkle when the
#   app carries Sparkle.framework.
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 APP IDENTITY METADATA [--sparkle]" >&2
  exit 2
fi
app=$1 identity=$2 metadata=$3 sparkle=${4:-}

run() {
  if [ "${ORVANE_DRY_RUN:-}" = 1 ]; then echo "$*"; else "$@"; fi
}

sign=(codesign --force --sign "$identity" --options runtime --timestamp)
if [ "$identity" = - ]; then
  sign=(codesign --force --sign - --options runtime --timestamp=none)
fi

if [ "$sparkle" = --sparkle ]; then
  fw="$app/Contents/Frameworks/Sparkle.framework"
  run "${sign[@]}" "$fw/Versions/B/XPCServices/Installer.xpc"
  run "${sign[@]}" --preserve-metadata=entitlements "$fw/Versions/B/XPCServices/Downloader.xpc"
  run "${sign[@]}" "$fw/Versions/B/Autoupdate"
  run "${sign[@]}" "$fw/Versions/B/Updater.app"
  run "${sign[@]}" "$fw"
fi
run "${sign[@]}" --entitlements "$metadata/OrvaneExtension/OrvaneExtension.entitlements" \
  "$app/Contents/PlugIns/OrvaneExtension.appex"
run "${sign[@]}" --entitlements "$metadata/Orvane+/Orvane+.entitlements" "$app"
