#!/usr/bin/env bash
# orca_test.sh ZTTOOLS ZTSIM: what the Orca screen reader says to an operator
# who uses the window by keyboard, from Orca's own log (nothing is played).
# On a private X server with a window manager, the accessibility bus and a
# virtual keyer on COM45:
# - Alt+T: the result is spoken, the chip with ">ZT OK";
# - Enter on Test ZT: the result again, and no other button is named, in
#   speech or by a focus event, while the buttons are disabled and enabled;
# - Read Config File, a file typed in: back in the window, Orca names the
#   control that has the focus, then the file read.
# Skips (77) only when Orca does not start.
set -uo pipefail
if [ "${1:-}" != --inside ]; then
    command -v orca >/dev/null || { echo "SKIP: orca is not installed" >&2; exit 77; }
    # A session bus of its own, which ends with the test.
    exec dbus-run-session -- "$0" --inside "$@" 2> >(grep -v dbus-daemon >&2)
fi
zttools=$2 ztsim=$3
work=$(mktemp -d)
log=$work/orca.log
pids=()
finish() {
    [ "${failed:-0}" = 0 ] || sed 's/^/  zttools: /' "$work/zttools.log" >&2
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
        wait "${pids[i]}" 2>/dev/null
    done
    rm -rf "$work"
}
trap finish EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
mkdir -p "$XDG_CONFIG_HOME/zttools"
printf '\x2d\0\0\0' >"$XDG_CONFIG_HOME/zttools/zttools.cfg"  # COM45
head -c 300 /dev/zero >"$work/k.eep"

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
read -r display <"$work/display"
export DISPLAY=:$display
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
    sleep 0.1
done
openbox >/dev/null 2>&1 &
pids+=($!)
"$ztsim" --com 45 >/dev/null 2>&1 &
pids+=($!)
"$zttools" >"$work/zttools.log" 2>&1 &
pids+=($!)
# The window active on the accessibility bus first, for Orca to find at its
# start; Orca's own interpreter asks, with its modules.
timeout 20 xdotool search --sync --limit 1 --name "Zentor 3 Tools Utility" \
    windowactivate --sync >/dev/null 2>&1
orca=$(command -v orca)
python=$(sed -n '1s/^#!//p' "$orca")
for _ in $(seq 100); do
    $python -c 'import pyatspi, sys
sys.exit(not any(a and a.name == "zttools" and w.getState().contains(pyatspi.STATE_ACTIVE)
                 for a in pyatspi.Registry.getDesktop(0) for w in (a or [])))' 2>/dev/null && break
    sleep 0.1
done
# Orca keeps its log in a file buffer; a line at a time lets the test follow it.
$python -c 'import builtins, runpy, sys
log, orca, real = sys.argv[1], sys.argv[2], builtins.open
builtins.open = lambda f, m="r", *a, **k: real(f, m, 1) if f == log else real(f, m, *a, **k)
sys.argv = ["orca", "--debug-file=" + log]
runpy.run_path(orca, run_name="__main__")' "$log" "$orca" >/dev/null 2>&1 &
pids+=($!)

# What Orca has spoken since the mark, a phrase a line.
mark=0
said() { tail -n +$((mark + 1)) "$log" 2>/dev/null | grep -a "SPEECH OUTPUT:" | sed "s/^.*SPEECH OUTPUT: //"; }
# wait_for PATTERN [SECONDS]: until Orca has said something that matches.
wait_for() {
    for _ in $(seq $((${2:-20} * 10))); do
        said | grep -q -e "$1" && return 0
        sleep 0.1
    done
    return 1
}
press() {
    mark=$(wc -l <"$log")
    xdotool key --clearmodifiers "$@"
}
failed=0
fail() {
    echo "FAIL: $*" >&2
    said | sed "s/^/  Orca said: /" >&2
    failed=1
}

wait_for "Screen reader on" 30 || { echo "SKIP: Orca did not start" >&2; exit 77; }
wait_for "Msg 1 text" || fail "the window's focus not named at the start"

press alt+t
wait_for "ZT IC: SMT.*>ZT OK" || fail "Alt+T: no chip and >ZT OK"

# Back along the tab order to Test ZT, each control named as it is reached.
for _ in $(seq 12); do
    press shift+Tab
    wait_for "push button\.\|text\.\|box\." || break
    said | grep -q "Test ZT push button" && break
done
said | grep -q "Test ZT push button" || { fail "Shift+Tab never reached Test ZT"; exit "$failed"; }

press Return
wait_for ">ZT OK" || fail "Enter on Test ZT: no result spoken"
sleep 1  # what would come after the result
said | grep -v "Test ZT" | grep -q "push button" && fail "Enter on Test ZT: another button named"
tail -n +$((mark + 1)) "$log" | grep -a "state-changed:focused for \[push button" |
    grep -v "Test ZT\]" | grep -q . && fail "Enter on Test ZT: a focus event for another button"

press alt+c
wait_for "File name" || fail "Alt+C: no file dialog"
xdotool type --delay 200 "$work/k.eep"
press Return
wait_for "EEP FileName: k.eep" || fail "Read Config File: no result spoken"
said | grep -q "Test ZT push button" || fail "Read Config File: the focused control not named"
exit $failed
