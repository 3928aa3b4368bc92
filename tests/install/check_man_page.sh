#!/usr/bin/env bash
# check_man_page.sh PAGE VERSION [PROGRAM]: the manual page formats without a
# single groff or man warning, has the sections a reader looks for, carries
# the program's version, refers only to pages that exist beside it (or are
# the system's), and, given the program, names every long option that
# PROGRAM --help lists.
set -uo pipefail
page=$1 version=$2 program=${3:-}
name=$(basename "$page")
failed=0
fail() { echo "$name: $*" >&2; failed=1; }

for tool in groff man; do
    command -v $tool >/dev/null || { echo "$name: $tool is missing (scripts/bootstrap installs it)" >&2; exit 1; }
done

warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[[ -z "$warnings" ]] || fail "groff warns: $warnings"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "man warns: $warnings"

grep -q "^\.TH [A-Z]* 1 .*\"zttools $version\"" "$page" ||
    fail ".TH does not name section 1 and zttools $version"
for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES EXAMPLES "SEE ALSO"; do
    grep -qx "\.SH \"\?$section\"\?" "$page" || fail "no $section section"
done

# Our own pages that it refers to must be there too.
dir=$(dirname "$page")
while read -r ref; do
    [[ -f "$dir/$ref" ]] || fail "refers to $ref, which is not in $dir"
done < <(grep -o '^\.BR zt[a-z]* ([0-9])' "$page" | sed 's/^\.BR \(zt[a-z]*\) (\([0-9]\))/\1.\2/' | sort -u)

if [[ -n "$program" ]]; then
    help=$("$program" --help 2>&1) || fail "$program --help failed"
    options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
    [[ -n "$options" ]] || fail "$program --help lists no long options"
    # roff writes a hyphen in an option as \-.
    text=$(sed 's/\\-/-/g' "$page")
    for option in $options; do
        grep -qE -- "$option([^a-z-]|$)" <<<"$text" || fail "does not describe $option"
    done
fi
exit $failed
