#!/usr/bin/env bash
# check_desktop_entry.sh ENTRY MIME METAINFO VERSION: what a desktop and a
# software centre take from the package, each file valid and all three
# naming the same things.
#  - The desktop entry: desktop-file-validate finds no error, warning or
#    hint (a hint is how it says that a category lacks its main category);
#    it starts zttools with the file opened (%f), by the icon name the build
#    installs, outside a terminal, for the MIME type of settings files.
#  - The MIME type (shared-mime-info): a database made from it alone gives
#    *.eep that type, without a word on the error stream.
#  - The AppStream metainfo: appstreamcli validates it without an error or
#    warning; it launches this entry, provides that MIME type, and its
#    latest release is VERSION.
set -uo pipefail
entry=$1 mime=$2 metainfo=$3 version=$4
failed=0
fail() { echo "check_desktop_entry: $*" >&2; failed=1; }

for tool in desktop-file-validate update-mime-database appstreamcli; do
    command -v $tool >/dev/null ||
        { echo "$tool is missing (scripts/bootstrap installs it)" >&2; exit 1; }
done

report=$(desktop-file-validate "$entry" 2>&1) || fail "$entry is invalid: $report"
grep -E 'error|warning|hint' <<<"$report" && fail "desktop-file-validate complains of $entry"
key() { sed -n "s/^$1=//p" "$entry"; }
[[ "$(key Type)" == Application ]] || fail "Type is not Application"
[[ "$(key Exec)" == "zttools %f" ]] || fail "Exec is not zttools %f: $(key Exec)"
[[ "$(key Icon)" == zttools ]] || fail "Icon is not the installed zttools"
[[ "$(key Terminal)" == false ]] || fail "Terminal is not false"
[[ -n "$(key Name)" && -n "$(key Comment)" ]] || fail "Name or Comment missing"
type=$(key MimeType)
type=${type%;}
[[ "$type" == */* && "$type" != *";"* ]] || fail "MimeType names not one type: $(key MimeType)"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir -p "$data/mime/packages"
cp "$mime" "$data/mime/packages/zttools.xml"
# Within XDG_DATA_HOME, so that it does not say that no one would find it.
words=$(XDG_DATA_HOME=$data update-mime-database "$data/mime" 2>&1) ||
    fail "update-mime-database refuses $mime: $words"
[[ -z "$words" ]] || fail "update-mime-database on $mime: $words"
grep -qxF "50:$type:*.eep" "$data/mime/globs2" 2>/dev/null ||
    fail "$mime does not give *.eep the type $type: $(grep -v '^#' "$data/mime/globs2" 2>/dev/null)"

report=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) ||
    fail "appstreamcli validate: $report"
grep -E '^[EW]:' <<<"$report" && fail "appstreamcli finds errors or warnings in $metainfo"
text() { sed -n "s:.*<$1[^>]*>\(.*\)</$1>.*:\1:p" "$metainfo"; }
[[ "$(text launchable)" == "$(basename "$entry")" ]] ||
    fail "the metainfo launches $(text launchable), not $(basename "$entry")"
[[ "$(text mediatype)" == "$type" ]] || fail "the metainfo provides $(text mediatype), not $type"
latest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -1)
[[ "$latest" == "$version" ]] || fail "the metainfo's latest release is $latest, not $version"
exit $failed
