#!/usr/bin/env bash
# Every shell script of the repository (*.sh, and files whose first line names a shell) passes
# the shellcheck tool. Skipped without it; under CI, which installs it, its absence fails.
# Usage: check_shellcheck.sh SOURCE_ROOT
set -euo pipefail
cd "$1"
if ! command -v shellcheck >/dev/null; then
  echo "shellcheck is not installed"
  if [ -n "${CI:-}" ]; then exit 1; else exit 77; fi
fi
scripts=()
while IFS= read -r file; do
  if [[ $file == *.sh ]] ||
    { [ -f "$file" ] && head -n1 "$file" | grep -Eq '^#!.*[/ ](ba|da)?sh( |$)'; }; then
    scripts+=("$file")
  fi
done < <(git ls-files --cached --others --exclude-standard)
echo "${#scripts[@]} scripts: ${scripts[*]}"
shellcheck "${scripts[@]}"
