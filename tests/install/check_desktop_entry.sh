#!/usr/bin/env bash
# check_desktop_entry.sh FILE: desktop-file-validate finds no error, warning
# or hint (a hint is how it says that a category lacks its main category),
# and the entry starts zttools, by the icon name the build installs, outside
# a terminal.
set -uo pipefail
file=$1
failed=0
fail() { echo "$(basename "$file"): $*" >&2; failed=1; }

command -v desktop-file-validate >/dev/null ||
    { echo "desktop-file-validate is missing (scripts/bootstrap installs desktop-file-utils)" >&2; exit 1; }
report=$(desktop-file-validate "$file" 2>&1) || fail "invalid: $report"
grep -E 'error|warning|hint' <<<"$report" && fail "validator complains"

key() { sed -n "s/^$1=//p" "$file"; }
[[ "$(key Type)" == Application ]] || fail "Type is not Application"
[[ "$(key Exec)" =~ ^zttools( |$) ]] || fail "Exec does not start zttools"
[[ "$(key Icon)" == zttools ]] || fail "Icon is not the installed zttools"
[[ "$(key Terminal)" == false ]] || fail "Terminal is not false"
[[ -n "$(key Name)" && -n "$(key Comment)" ]] || fail "Name or Comment missing"
exit $failed
