#!/usr/bin/env bash
# Whether every C++ file is laid out as the formatter lays it out (`make format` fixes them).
# The tree reads the same under the clang-format of Debian 12, 13 and testing (14, 19, 21):
# where two versions would lay a construct out differently, the code is written another way.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-format >/dev/null ||
    { echo "format check: clang-format is missing (scripts/install-deps.sh --unit)" >&2; exit 1; }
report=$(mktemp)
trap 'rm -f "$report"' EXIT
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
    grep -E '^[^ ].*: (error|warning):' "$report" | cut -d: -f1 | sort -u |
        sed 's/^/  not formatted: /' >&2
    echo "format check: run 'make format' ($(clang-format --version))" >&2
    exit 1
fi
echo "format check: ${#files[@]} files formatted"
