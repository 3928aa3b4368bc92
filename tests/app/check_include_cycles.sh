#!/usr/bin/env bash
# check_include_cycles.sh SRC: no file of SRC/app/ includes a header whose
# file pair (X.h with X.cpp) includes it back, directly or through others.
# The main window's route table includes the handlers; they must not reach
# back up to it. Lists each such include and fails when there is one.
set -euo pipefail
cd "$1"
declare -A deps
files=$(find app -name '*.h' -o -name '*.cpp' | sort)
for f in $files; do
    m=${f%.*}
    for i in $(sed -nE 's@^#include "(app/[^"]+)\.h"@\1@p' "$f"); do
        [[ $i == "$m" ]] || deps[$m]+=" $i"
    done
done
# Whether module $1 reaches module $2 through includes.
reaches() {
    local seen=" " todo=("$1") x
    while ((${#todo[@]})); do
        x=${todo[-1]}
        unset 'todo[-1]'
        [[ $x == "$2" ]] && return 0
        [[ $seen == *" $x "* ]] && continue
        seen+="$x "
        # shellcheck disable=SC2206  # a list of module names
        todo+=(${deps[$x]:-})
    done
    return 1
}
back=0
for f in $files; do
    m=${f%.*}
    for i in $(sed -nE 's@^#include "(app/[^"]+)\.h"@\1@p' "$f"); do
        if [[ $i != "$m" ]] && reaches "$i" "$m"; then
            echo "$f includes $i.h, whose includes lead back to $m"
            back=$((back + 1))
        fi
    done
done
echo "$back includes back up in $1/app"
[[ $back -eq 0 ]]
