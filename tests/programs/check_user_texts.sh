#!/usr/bin/env bash
# check_user_texts.sh VERSION ZTCLI ZTSIM ZTTOOLS: the three programs as a user
# runs them, against a virtual keyer: for each case the words the user reads,
# on the stream they belong on, and the exit status (0 success, 1 the keyer
# or a difference, 2 bad usage, a bad file or lost output, 3 the port, 4 the
# keyer in a diff).
set -uo pipefail
# shellcheck source=SCRIPTDIR/../support/hex_record.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/hex_record.sh"  # record
version=$1 ztcli=$2 ztsim=$3 zttools=$4
work=$(mktemp -d)
sim=
# shellcheck disable=SC2317  # called by the trap
cleanup() {
    [[ -n "$sim" ]] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# Paths made absolute before leaving: a stray file lands in the scratch folder.
ztcli=$(realpath "$ztcli") ztsim=$(realpath "$ztsim") zttools=$(realpath "$zttools")
cd "$work" || exit 1
failed=0
ran=
fail() { echo "$ran: $*" >&2; failed=1; }

# run STATUS CMD...: runs CMD with $work/in on its input, its streams into
# $work/out and $work/err, and checks its exit status.
: >"$work/in"
run() {
    local want=$1
    shift
    ran="$*"
    "$@" <"$work/in" >"$work/out" 2>"$work/err"
    local got=$?
    [[ $got == "$want" ]] || fail "exit status $got, wanted $want; stderr: $(head -c 300 "$work/err")"
}
# says out|err TEXT...: the stream holds each TEXT.
says() {
    local stream=$1
    shift
    for text; do
        grep -qF -- "$text" "$work/$stream" ||
            fail "$stream lacks \"$text\"; it holds: $(head -c 400 "$work/$stream")"
    done
}
# lacks out|err TEXT...: the stream holds none of them.
lacks() {
    local stream=$1
    shift
    for text; do
        ! grep -qF -- "$text" "$work/$stream" || fail "$stream holds \"$text\""
    done
}
empty() { [[ ! -s "$work/$1" ]] || fail "$1 is not empty: $(head -c 300 "$work/$1")"; }
# is out|err TEXT: the stream holds TEXT and nothing more (but a last newline).
is() { [[ $(<"$work/$1") == "$2" ]] || fail "$1 is not \"$2\"; it holds: $(head -c 400 "$work/$1")"; }

# --- Versions: the version, the build stamp and the licence, alike in all three.
stamp='^Built [0-2][0-9]:[0-5][0-9]:[0-5][0-9], [A-Z][a-z][a-z] [ 1-3][0-9] [0-9]{4}$'
for program in "$ztcli" "$ztsim" "$zttools"; do
    name=$(basename "$program")
    run 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version
    says out "$name" " $version" "GPL-3.0-or-later" "version 3 or later"
    empty err
    sed -n 2p "$work/out" | grep -qE "$stamp" || fail "no build stamp: $(sed -n 2p "$work/out")"
    sed -n 2p "$work/out" >>"$work/stamps"
done
[[ $(sort -u "$work/stamps" | wc -l) == 1 ]] || fail "the stamps differ: $(cat "$work/stamps")"

# --- zttools answers without a window, and says in one line that it needs a display.
run 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$zttools" --help
says out "Usage: zttools" "--version" "ztcli"
empty err
run 1 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$zttools"
is err "no display: set DISPLAY, or use ztcli"
empty out

# --- ztcli's help: the commands, each command's own options, the global ones
# and the exit statuses it can end with; an unknown command is named.
run 0 "$ztcli" help
says out "Usage: ztcli" "ports" "upload" "0  success" "3  the port could not be opened"
run 0 "$ztcli" help show
says out "Usage: ztcli show" "--json" "--port N|PATH" "--quiet" "0  success" "2  bad usage"
lacks out "1  the keyer" "3  the port"
cp "$work/out" "$work/help-show"
run 0 "$ztcli" show --help
cmp -s "$work/out" "$work/help-show" || fail "differs from ztcli help show"
run 0 "$ztcli" help ports
says out "Usage: ztcli ports" "0  success" "2  bad usage, a bad file, or output that could not"
lacks out "1  " "3  " "4  "
run 0 "$ztcli" help diff
says out "0  success" "1  some settings differ" "2  bad usage" "3  the port" \
    "4  the keyer refused or failed"
lacks out "1  the keyer"
commands="the commands are ports, port, test, read, write, show, set, apply, diff, hexinfo, upload, help"
for args in "bogus" "help bogus" "--quiet bogus --port 3"; do
    # shellcheck disable=SC2086  # the words are the arguments
    run 2 "$ztcli" $args
    says err "no command 'bogus'; $commands"
    empty out
done
run 2 "$ztcli"
says err "a command is needed; $commands"
# Words that are wrong read as ztcli's other errors, with what was likely
# meant and the usage of the command they named; the usage reads as said.
while IFS='|' read -r args words usage; do
    # shellcheck disable=SC2086  # the words are the arguments
    run 2 "$ztcli" $args
    says err "ztcli: $words" "Usage: ztcli $usage  (ztcli help"
    lacks err "Run with --help"
done <<'CASES'
uplaod|no command 'uplaod'; did you mean upload? The commands are ports, port,|[OPTIONS] [COMMAND]
--prot 3 test|no option --prot; did you mean --port?|test [OPTIONS]
test --port|--port needs a value|test [OPTIONS]
--json test|--json belongs after the command (ztcli test --json)|test [OPTIONS]
read|FILE is required|read [OPTIONS] FILE
read a b|read takes no 'b'|read [OPTIONS] FILE
CASES
run 0 "$ztcli" help set
says out "Usage: ztcli set [OPTIONS] FILE FIELD=VALUE..." "  FIELD=VALUE ...  "
lacks out "TEXT" "REQUIRED"

# --- Files that are not what they should be: where and why.
{
    record 0 0 1 2
    echo ":0200000001020A"
    record 1 0
} >"$work/checksum.hex"
{
    record 0 0 1 2
    record 0 16 3 4
    echo "0200000001020A"
} >"$work/colon.hex"
for command in hexinfo "--port 7 upload"; do
    # shellcheck disable=SC2086
    run 2 "$ztcli" $command "$work/checksum.hex"
    says err "checksum.hex: line 2: checksum (File Error"
done
run 2 "$ztcli" hexinfo "$work/colon.hex"
says err "colon.hex: line 3: not a record"
head -c 100 /dev/zero >"$work/short.eep"
run 2 "$ztcli" show "$work/short.eep"
says err "short.eep: Invalid file. (100 bytes long; a settings file holds 300 bytes, or 288"
cp "$work/short.eep" "$work/in"
run 2 "$ztcli" show -
says err "standard input: Invalid file. (100 bytes long"
run 2 "$ztcli" set - msg1=CQ
says err "name the file, not -"
: >"$work/in"
# Input without end (here 50 MB of it) is read no further than a settings
# file or a JSON document goes.
for command in "show -" "--port 7 write -" "diff - short.eep"; do
    # shellcheck disable=SC2086
    run 2 bash -c 'head -c 50M /dev/zero | "$@"' - "$ztcli" $command
    is err "ztcli: standard input: Invalid file. (more than 300 bytes long; a settings file holds 300 bytes, or 288 in the older layout)"
done
for source in "cat /dev/zero" "yes ["; do
    # shellcheck disable=SC2016  # $0 is the source, split into its words
    run 2 bash -c '$0 | head -c 50M | "$@"' "$source" "$ztcli" apply short.eep -
    says err "standard input: more than 1 MiB"
done

# --- Against the keyer: data on standard output, progress and news on
# standard error; - for the settings on standard input and output.
export XDG_CONFIG_HOME=$work/config
"$ztsim" --com 7 >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do
    [[ -e "$XDG_CONFIG_HOME/zttools/ports/com7" ]] && break
    sleep 0.05
done
run 0 "$ztcli" --port 7 test
is out $'ZT IC: SMT\nZT F/W ver 31.05\nPotValue: 128\nPB:255\n5.04 Volts'
empty err
# A second keyer on the same number: the one that holds it is named.
run 1 "$ztsim" --com 7
says err "ztsim: COM7 is taken by another ztsim, on /dev/pts/" "stop that one first, or pick another --com"
lacks err "present" "--replace"
run 0 "$ztcli" --port 7 read -
cp "$work/out" "$work/keyer.eep"
[[ $(stat -c %s "$work/keyer.eep") == 300 ]] || fail "wrote $(stat -c %s "$work/keyer.eep") bytes"
is err $'ZT IC: SMT  ZT F/W ver 31.05\nReading 0%\nReading 100%\nDone: the keyer\'s settings are in standard output'
run 2 script -qec "$ztcli --port 7 read -" /dev/null
says out "standard output, which is a terminal"
cp "$work/keyer.eep" "$work/in"
run 0 "$ztcli" show -
says out "user1.cur_wpm = "
empty err
run 0 "$ztcli" --port 7 write -
empty out
says err "Writing 100%" "Done: verified"
run 0 "$ztcli" --port 7 diff - keyer
empty out
: >"$work/in"
cp "$work/keyer.eep" "$work/changed.eep"
run 0 "$ztcli" set "$work/changed.eep" user1.cur_wpm=33
{
    record 0 0 0 0 0 0 0 0 31 5
    record 0 64 1 2 3 4
    record 1 0
} >"$work/smt.hex"
run 0 "$ztcli" --port 7 upload "$work/smt.hex"
empty out
says err "Programming ZOVOV...." "Upload Completed Successfully"
run 0 "$ztcli" hexinfo "$work/smt.hex"
is out $'ZT SMT Version: 31.05 Loaded, 2 Records\nProgram memory: 6 words in 2 slots, word addresses 0x0000 to 0x0021'
{
    record 0 0 255 63
    record 0 15360 1 2  # word 0x1E00, beyond the slots an upload sends
    record 1 0
} >"$work/blank.hex"
run 0 "$ztcli" hexinfo "$work/blank.hex"
says out "Program memory: 1 word in 1 slot, word address 0x1E00" \
    "Left out by an upload: 1 word" "No program data: an upload would send only blank words"
# Output that does not go out fails the command.
for command in "show keyer.eep" "show --json keyer.eep" "--port 7 test" "ports" "help" "--help" \
    "--version" "hexinfo smt.hex" "--port 7 read -" "diff changed.eep keyer.eep"; do
    # shellcheck disable=SC2086
    run 2 bash -c 'exec "$@" >/dev/full' - "$ztcli" $command
    says err "standard output"
done

exit $failed
