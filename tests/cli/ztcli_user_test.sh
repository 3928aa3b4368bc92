#!/usr/bin/env bash
# ztcli_user_test.sh ZTCLI ZTSIM GUIDE: ztcli run as a user runs it, against
# ztsim keyers linked into a configuration folder of its own. First the
# guide's quick start, as a new user pastes it. For each way of getting the
# port wrong: the words the user reads and the exit status. Then finding the
# keyer, and a backup before new firmware and a recovery after an upload that
# was cut off.
#
# The keyers are COM41 to COM50 (ttyACM8 and up in the table, which a test
# machine does not have; ztsim refuses to hide one that is there). Real ports
# of the machine may be listed and probed beside them; nothing here depends
# on what they say.
set -uo pipefail
# shellcheck source=SCRIPTDIR/../support/hex_record.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/hex_record.sh"  # record
ztcli=$1 ztsim=$2 guide=$(realpath "$3")
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config
ports=$XDG_CONFIG_HOME/zttools/ports
config=$XDG_CONFIG_HOME/zttools/zttools.cfg
mkdir -p "$ports"
failed=0
sims=()

cleanup() {
    local pid
    for pid in "${sims[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# keyer COM [ZTSIM OPTIONS]: a virtual keyer linked as comCOM, logging its
# line to $work/simCOM.log; its process id in sim[COM].
declare -A sim
keyer() {
    local com=$1
    shift
    "$ztsim" --com "$com" --log "$work/sim$com.log" "$@" >"$work/sim$com.out" 2>&1 &
    sim[$com]=$!
    sims+=($!)
    for _ in $(seq 200); do
        [[ -L "$ports/com$com" ]] && return
        sleep 0.02
    done
    cat "$work/sim$com.out" >&2
    echo "ztsim made no com$com" >&2
    exit 1
}
stop() {
    kill "${sim[$1]}" && wait "${sim[$1]}" 2>/dev/null
}
# What the host has sent the keyer on COM so far: lines of the log.
sent() {
    grep -c ' host  ' "$work/sim$1.log"
}

# run ARGS: ztcli with ARGS; $status, $out and $err afterwards.
run() {
    last="ztcli $*"
    "$ztcli" "$@" >"$work/out" 2>"$work/err"
    status=$?
    out=$(<"$work/out")
    err=$(<"$work/err")
}
# expect STATUS [WORDS]: the last run ended with STATUS, and each of WORDS
# is in what it wrote on the error stream.
expect() {
    local want=$1 words
    shift
    [[ $status == "$want" ]] || fail "$last: exit status $status, not $want; it said: $err"
    for words in "$@"; do
        [[ "$err" == *"$words"* ]] || fail "$last: no \"$words\" in: $err"
    done
}
# first WORDS: the first line of the error output holds WORDS.
first() {
    [[ "${err%%$'\n'*}" == *"$1"* ]] || fail "$last: the first line lacks \"$1\": $err"
}
# prints WORDS: the standard output holds WORDS.
prints() {
    [[ "$out" == *"$1"* ]] || fail "$last: no \"$1\" in the output: $out"
}

# A firmware image for the SMT keyer, version 31.05, with a few words to program.
firmware=$work/zt_smt_31_05.hex
{
    record 0 0 0 0 0 0 0 0 31 5
    record 0 64 1 2 3 4
    echo ":00000001FF"
} >"$firmware"

# ---- The guide's quick start, on a fresh account -------------------------------
# quick MARK: the guide's code block between <!-- MARK --> and <!-- /quick-start -->.
quick() {
    awk -v mark="<!-- $1 -->" '$0 == "<!-- /quick-start -->" { on = 0 }
        on { sub(/^    /, ""); print }
        $0 == mark { on = 1 }' "$guide"
}
fresh=$work/fresh
mkdir -p "$fresh/home" "$fresh/run"
user=(env -u XDG_CONFIG_HOME HOME="$fresh/home" PATH="$(dirname "$ztcli"):$(dirname "$ztsim"):$PATH")
start=$(quick "quick-start keyer") commands=$(quick quick-start)
[[ $start == "ztsim --com 3" && $commands == *"ztcli port 3"* ]] ||
    fail "the guide's quick start: $start; $commands"
# The keyer in a terminal of its own; the user goes on once it says where it is.
(cd "$fresh/run" && exec "${user[@]}" bash -c "$start") >"$fresh/keyer" 2>&1 &
sims+=($!)
for _ in $(seq 200); do
    [[ -L "$fresh/home/.config/zttools/ports/com3" ]] && break
    sleep 0.02
done
if ! (cd "$fresh/run" && "${user[@]}" bash -ex -c "$commands") >"$fresh/out" 2>&1; then
    fail "the guide's quick start failed: $(cat "$fresh/keyer" "$fresh/out")"
fi
(cd "$fresh/run" && "${user[@]}" ztcli diff keyer.eep keyer >/dev/null 2>&1) ||
    fail "after the quick start the keyer does not hold keyer.eep: $(cat "$fresh/out")"
grep -q "user1.cur_wpm = 25" <("${user[@]}" ztcli show "$fresh/run/keyer.eep") ||
    fail "the quick start's set did not reach keyer.eep"
kill "${sims[-1]}"

# ---- The port named every way a user names it -------------------------------
keyer 41
for port in COM41 com41 41 " 41" "41 " "$ports/com41"; do
    run --port "$port" test
    expect 0
    prints "ZT F/W ver 31.05"
done
for port in 0 51 99 com0 COM51 1234567890123 -7 COM-1; do
    run --port "$port" test
    expect 2 "ztcli: --port: COM numbers go from 1 to 50, not $port"
done

# ---- Ports that are no ports ------------------------------------------------
echo "not a port" >"$work/plain.txt"
for path in /dev/null "$work/plain.txt" "$work"; do
    run --port "$path" test
    expect 3 "$path, from --port: not a serial port"
done
ln -s "$work/plain.txt" "$ports/com43"
run --port 43 test
expect 3 "COM43, from --port 43: $ports/com43: not a serial port"
rm "$ports/com43"

# ---- Ports that do not exist: the ports present, and how to map one ----------
run --port 42 test
expect 3 "COM42, from --port 42:" "no such device" "the ports present:" \
    "COM41 $ports/com41 (free)" "ztcli ports --probe" "ln -s /dev/ttyUSB0 $ports/com42" \
    "--port the device's path"
run --port "$work/no-such-device" test
expect 3 "$work/no-such-device, from --port: no such device" "COM41 $ports/com41 (free)" \
    "--port takes a COM number, a device path, or auto"
ln -s /dev/zt-gone "$ports/com44"
run --port 44 test
expect 3 "$ports/com44 (a link to /dev/zt-gone): no such device" "COM41 $ports/com41"
rm "$ports/com44"

# ---- A silent keyer, and where the port came from -----------------------------
keyer 45 --silent
run --port 45 test
expect 1 "ZT Fail:no response from $ports/com45 (a link to /dev/pts/" \
    "power" "cable" "ztcli ports --probe" "ModemManager" \
    "When a USB serial adapter is taken by another program"
first "COM45, from --port 45: ZT Fail:no response"
printf '\055\000\000\000' >"$config"  # COM45, as the window keeps it
run test
expect 1 "ModemManager"
first "COM45, from the window's configuration ($config): ZT Fail:no response"
printf '\051\000\000\000' >"$config"  # COM41
run test
expect 0
prints "ZT IC: SMT"
# ztcli port chooses the port used without --port, where the window keeps it.
run port 41
expect 0 "COM41 from now on, for ztcli and the window ($config): $ports/com41 (a link to /dev/pts/"
cmp -s <(printf '\051\000\000\000') "$config" || fail "$last did not keep 41 as the window does"
run port
expect 0
prints "COM41, from the window's configuration ($config): $ports/com41 (a link to /dev/pts/"
for wrong in "99:COM numbers go from 1 to 50, not 99" "$ports/com45:keeps a COM number, not a device" \
    "41,45:names several ports; this command uses one"; do
    run port "${wrong%%:*}"
    expect 2 "${wrong#*:}"
done
cmp -s <(printf '\051\000\000\000') "$config" || fail "$last changed the configuration"
rm "$config" && mkdir "$config"
run port 45
expect 2 "$config: cannot be written"
rmdir "$config"
rm -f "$config"
run test  # COM1, whatever this machine has there
[[ $status == 1 || $status == 3 ]] || fail "$last: exit status $status, not 1 or 3: $err"
first "COM1, the window's first port (no configuration file at $config)"

# ---- A port another program holds is neither used nor probed ------------------
exec {held}<"$(readlink "$ports/com41")"
flock --nonblock "$held" || fail "could not hold COM41 for the test"
before=$(sent 41)
run --port 41 test
expect 3 "COM41, from --port 41: $ports/com41: in use by another program"
run ports --probe
expect 0
prints "COM41	$ports/com41	busy	not tried: in use"
[[ $(sent 41) == "$before" ]] || fail "a port another program holds was sent bytes"
exec {held}<&-

# ---- ports --probe and --port auto --------------------------------------------
keyer 46 --boot-loader-only
run ports --probe
expect 0
prints "COM41	$ports/com41	free	ZT IC: SMT  ZT F/W ver 31.05"
prints "COM45	$ports/com45	free	no answer"
prints "COM46	$ports/com46	free	ZT Fail:No O/S: only the keyer's boot loader answered"
run ports --probe --json
expect 0
prints "{\"com\":41,\"device\":\"$ports/com41\",\"state\":\"free\",\"keyer\":true,\"detection\":{\"outcome\":\"firmware\",\"chip_label\":\"ZT IC: SMT\",\"link_status\":\"ZT F/W ver 31.05\",\"chip_variant\":1,\"firmware_major\":31,\"firmware_minor\":5}}"
prints "{\"com\":45,\"device\":\"$ports/com45\",\"state\":\"free\",\"keyer\":false,\"detection\":{\"outcome\":\"failed\""
# Only the ports named are tried.
before=$(sent 45)
run ports --probe --port 41,com46
expect 0
prints "COM41	$ports/com41	free	ZT IC: SMT"
prints "COM46	$ports/com46	free	ZT Fail:No O/S"
[[ "$out" != *COM45* && $(sent 45) == "$before" ]] || fail "$last tried COM45"
run ports --probe --port 41,42
expect 2 "COM42 (" "no such device" "the ports present:"
run --port auto test
expect 2 "--port auto: keyers answer on COM41 ($ports/com41) and COM46 ($ports/com46); name one with --port"
stop 46
run --port auto test
expect 0 "--port auto: the keyer answers on COM41 ($ports/com41)"
prints "ZT F/W ver 31.05"
run --port auto read "$work/auto.eep"
expect 0
[[ $(stat -c %s "$work/auto.eep" 2>/dev/null) == 300 ]] || fail "$last saved no settings file"
stop 41
run --port auto test
expect 1 "--port auto: no keyer answered:" "COM45 ($ports/com45): no answer" "ModemManager"

# ---- upload --backup ----------------------------------------------------------
keyer 47
run --port 47 read "$work/before.eep"
expect 0
before=$(sent 47)
run --port 47 upload --backup "$work/no-folder/backup.eep" "$firmware"
expect 2 "$work/no-folder/backup.eep: Can't open Settings file for write"
# An unset variable would program with no backup; - is no settings file.
run --port 47 upload --backup "" "$firmware"
expect 2 "--backup: an empty name names no file"
run --port 47 upload --backup - "$firmware"
expect 2 "--backup: the backup goes to a settings file, never to standard output (-)"
[[ $(sent 47) == "$before" ]] || fail "$last asked the keyer before refusing the backup file"
run --port 47 upload --backup "$work/backup.eep" "$firmware"
expect 0 "The keyer's settings are in $work/backup.eep"
cmp -s "$work/before.eep" "$work/backup.eep" || fail "$last: the backup differs from the keyer's settings"

# Firmware 30 has no settings commands: nothing to back up, and it is programmed.
keyer 49 --major 30
run --port 49 upload --backup "$work/backup49.eep" "$firmware"
expect 0 "No backup: the keyer's firmware has no settings commands"
stop 49

# ---- An upload cut off, and the keyer recovered ---------------------------------
# The keyer refuses a frame: its boot loader starts over and answers at 1200.
keyer 49 --frame-reply 3:0x88
run --port 49 upload "$firmware"
expect 1 "Error: ZOVOV stopped early, program it again !" "the upload stopped partway" \
    "switch the keyer off and on" "No O/S" "FW Update" "ztcli upload FILE"
run --port 49 test
expect 1 "only the keyer's boot loader answered" "ztcli upload FILE" "FW Update"
prints "ZT Fail:No O/S"
stop 49
# ztcli is stopped midway: the boot loader still listens at 9600 baud and
# answers nothing until the keyer is switched off and on.
keyer 50 --pace
"$ztcli" --port 50 upload "$firmware" >/dev/null 2>&1 &
uploading=$!
for _ in $(seq 250); do
    grep -q "frame 2 " "$work/sim50.log" && break
    sleep 0.02
done
kill "$uploading" && wait "$uploading" 2>/dev/null
run --port 50 test
expect 1 "ZT Fail:no response" "after an interrupted upload, switch the keyer off and on"
kill -USR1 "${sim[50]}"
for _ in $(seq 100); do
    grep -q "power cycled" "$work/sim50.out" && break
    sleep 0.02
done
run --port 50 test
expect 1 "only the keyer's boot loader answered" "ztcli upload FILE"
prints "ZT Fail:No O/S"
stop 50
# Programmed again, it runs its firmware.
keyer 49 --boot-loader-only
run --port 49 upload --backup "$work/backup-nos.eep" "$firmware"
expect 0 "No backup: only the keyer's boot loader answered" "Programming ZOVOV in Recovery mode" \
    "Upload Completed Successfully"
run --port 49 test
expect 0
prints "ZT F/W ver 31.05"
stop 49

exit $failed
