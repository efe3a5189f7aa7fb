#!/usr/bin/env bash
# Every shell script of the repository passes shellcheck: the *.sh files and those whose first
# line names a shell. Skipped without shellcheck, as on a developer's machine; under CI, which
# installs it, its absence fails.
# Usage: check_shellcheck.sh SOURCE_ROOT
set -euo pipefail
cd "$1"
if ! command -v shellcheck >/dev/null; then
  echo "shellcheck is not installed"
  if [ -n "${CI:-}" ]; then exit 1; fi
  exit 77
fi
if ! files=$(git ls-files --cached --others --exclude-standard); then
  echo "not a git checkout: no list of scripts"
  exit 77
fi
scripts=()
while IFS= read -r file; do
  if [[ $file == *.sh ]] || { [ -f "$file" ] && head -n1 "$file" | grep -Eq '^#!.*[/ ](ba|da)?sh( |$)'; }
  then
    scripts+=("$file")
  fi
done <<<"$files"
echo "${#scripts[@]} scripts: ${scripts[*]}"
shellcheck "${scripts[@]}"
