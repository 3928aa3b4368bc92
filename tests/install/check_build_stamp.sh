#!/usr/bin/env bash
# check_build_stamp.sh BUILDSTAMP_CMAKE: the About box's stamp is the source's
# moment in UTC, whatever the wall clock says: SOURCE_DATE_EPOCH first, then
# the last commit's date, then debian/changelog's latest entry; with none of
# them the build stops rather than take the clock. The header is rewritten
# only when the stamp changes.
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "build stamp: $*" >&2; failed=1; }

# stamp SOURCE_DIR: runs the script, prints "TIME|DATE" from the header.
stamp() {
    rm -f "$work/stamp.h"
    cmake -DSOURCE_DIR="$1" -DOUTPUT="$work/stamp.h" -P "$script" >"$work/log" 2>&1 || return 1
    sed -n 's/^#define ZT_BUILD_TIME "\(.*\)"$/\1/p; s/^#define ZT_BUILD_DATE "\(.*\)"$/|\1/p' \
        "$work/stamp.h" | tr -d '\n'
}
expect() {  # expect WHAT GOT WANTED
    [[ "$2" == "$3" ]] || fail "$1: got '$2', wanted '$3'"
}

# A folder in no git repository, and one with a commit of a known date.
plain=$work/plain
mkdir -p "$plain"
repo=$work/repo
mkdir -p "$repo"
git -C "$repo" init -q
GIT_COMMITTER_DATE="2022-12-25T08:05:09Z" GIT_AUTHOR_DATE="2001-01-01T00:00:00Z" \
    git -C "$repo" -c user.name=t -c user.email=t@t commit -q --allow-empty -m one

(
    export SOURCE_DATE_EPOCH=1646238970
    expect "SOURCE_DATE_EPOCH" "$(stamp "$plain")" "16:36:10|Mar  2 2022"
    expect "SOURCE_DATE_EPOCH beats the commit" "$(stamp "$repo")" "16:36:10|Mar  2 2022"
    exit $failed
) || failed=1
unset SOURCE_DATE_EPOCH
# The committer's date, not the author's: the moment the source became this.
expect "the last commit" "$(stamp "$repo")" "08:05:09|Dec 25 2022"

mkdir -p "$plain/debian"
cat >"$plain/debian/changelog" <<'EOF'
zttools (5.3) unstable; urgency=medium

  * A release.

 -- someone <someone@example.org>  Sun, 05 Jun 2022 23:59:58 +0200
EOF
expect "debian/changelog" "$(stamp "$plain")" "21:59:58|Jun  5 2022"

rm -r "$plain/debian"
if stamp "$plain" >/dev/null; then
    fail "with no date to take, the script made a stamp: $(cat "$work/stamp.h")"
elif ! grep -q SOURCE_DATE_EPOCH "$work/log"; then
    fail "with no date to take, the message does not say what to set: $(cat "$work/log")"
fi

# Same stamp: the header keeps its time, so nothing is recompiled.
cmake -DSOURCE_DIR="$repo" -DOUTPUT="$work/kept.h" -P "$script" >/dev/null
touch -d "2000-01-01" "$work/kept.h"
cmake -DSOURCE_DIR="$repo" -DOUTPUT="$work/kept.h" -P "$script" >/dev/null
[[ $(stat -c %Y "$work/kept.h") == $(date -d 2000-01-01 +%s) ]] ||
    fail "an unchanged stamp rewrote the header"
SOURCE_DATE_EPOCH=1646238970 cmake -DSOURCE_DIR="$repo" -DOUTPUT="$work/kept.h" -P "$script" \
    >/dev/null
grep -q '"Mar  2 2022"' "$work/kept.h" || fail "a new stamp did not reach the header"
exit $failed
