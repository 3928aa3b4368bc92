#!/usr/bin/env bash
# check_desktop_entry.sh ENTRY MIME METAINFO VERSION: the desktop entry, the
# settings files' MIME type and the AppStream metainfo are each valid, and
# name the same things. desktop-file-validate finds no error, warning or hint
# (a hint is how it says that a category lacks its main category); the entry
# starts zttools with the file opened, by the icon name the build installs,
# outside a terminal; a MIME database made from MIME alone gives *.eep the
# entry's type; appstreamcli finds no error or warning, and the metainfo
# launches the entry, provides the type and has VERSION as its last release.
set -uo pipefail
entry=$1 mime=$2 metainfo=$3 version=$4
failed=0
fail() { echo "check_desktop_entry: $*" >&2; failed=1; }

for tool in desktop-file-validate update-mime-database appstreamcli; do
    command -v $tool >/dev/null || { echo "$tool is missing (scripts/bootstrap installs it)" >&2; exit 1; }
done

report=$(desktop-file-validate "$entry" 2>&1) || fail "$entry is invalid: $report"
grep -E 'error|warning|hint' <<<"$report" && fail "desktop-file-validate complains"
key() { sed -n "s/^$1=//p" "$entry"; }
[[ "$(key Type)" == Application ]] || fail "Type is not Application"
[[ "$(key Exec)" == "zttools %f" ]] || fail "Exec is not zttools %f"
[[ "$(key Icon)" == zttools ]] || fail "Icon is not the installed zttools"
[[ "$(key Terminal)" == false ]] || fail "Terminal is not false"
[[ -n "$(key Name)" && -n "$(key Comment)" ]] || fail "Name or Comment missing"
type=$(key MimeType) && type=${type%;}

data=$(mktemp -d) && trap 'rm -rf "$data"' EXIT
mkdir -p "$data/mime/packages" && cp "$mime" "$data/mime/packages/zttools.xml"
# Within XDG_DATA_HOME, so that it does not say that no one would find it.
words=$(XDG_DATA_HOME=$data update-mime-database "$data/mime" 2>&1)
[[ $? -eq 0 && -z "$words" ]] || fail "update-mime-database on $mime: $words"
grep -qxF "50:$type:*.eep" "$data/mime/globs2" || fail "$mime does not give *.eep the type $type"

report=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "appstreamcli: $report"
grep -E '^[EW]:' <<<"$report" && fail "appstreamcli finds errors or warnings in $metainfo"
text() { sed -n "s:.*<$1[^>]*>\(.*\)</$1>.*:\1:p" "$metainfo"; }
[[ "$(text launchable)" == "$(basename "$entry")" ]] || fail "the metainfo launches $(text launchable)"
[[ "$(text mediatype)" == "$type" ]] || fail "the metainfo provides $(text mediatype), not $type"
[[ "$(grep -om1 '<release version="[^"]*"' "$metainfo")" == "<release version=\"$version\"" ]] ||
    fail "the metainfo's last release is not $version"
exit $failed
