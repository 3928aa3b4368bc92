#!/usr/bin/env bash
# orca_test.sh ZTTOOLS ZTSIM: what Orca says (from its log) at the keyboard, on
# a private X server and accessibility bus, a keyer on COM45: the result of
# Alt+T; Enter on Test ZT naming no other button, by speech or focus; the
# focused control named after Read Config File. Fails without Orca.
set -uo pipefail
if [ "${1:-}" != --inside ]; then  # a session bus of its own
    command -v orca >/dev/null || { echo "FAIL: orca is not installed (scripts/bootstrap)" >&2; exit 1; }
    exec dbus-run-session -- "$0" --inside "$@" 2> >(grep -v dbus-daemon >&2)
fi
zttools=$(realpath "$2") ztsim=$(realpath "$3") work=$(mktemp -d) failed=0 mark=0
log=$work/orca.log orca=$(command -v orca) hard=() soft=() xserver=
# Orca (which waiting on a window never ends) and zttools at once; the rest
# gently, the X server last: the bus launcher takes its bus, Xvfb its lock.
finish() {
    kill -9 "${hard[@]}"; kill "${soft[@]}"; wait "${hard[@]}" "${soft[@]}"
    kill "$xserver" && wait "$xserver"
} 2>/dev/null
trap 'finish; rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
mkdir "$work/zttools" && printf '\x2d\0\0\0' >"$work/zttools/zttools.cfg"  # COM45
head -c 300 /dev/zero >"$work/k.eep"
cd "$work" && mkfifo display || exit 1  # where the file dialog opens: the name alone is typed
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>display >/dev/null 2>&1 & xserver=$!
read -r display <display && export DISPLAY=:$display
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & soft+=($!)
timeout 10 sh -c 'until dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus \
    org.a11y.Bus.GetAddress >/dev/null 2>&1; do sleep 0.1; done'
openbox >/dev/null 2>&1 & soft+=($!)
"$ztsim" --com 45 >/dev/null 2>&1 & soft+=($!)
"$zttools" >/dev/null 2>&1 & hard+=($!)
timeout 20 xdotool search --sync --limit 1 --name "Zentor 3 Tools" windowactivate --sync >/dev/null 2>&1
# Orca's log line-buffered, for the test to follow; and Orca started beside
# any other Orca of this user, which it refuses by default.
$(sed -n '1s/^#!//p' "$orca") -c 'import builtins, runpy, sys
log, orca, real = sys.argv[1], sys.argv[2], builtins.open
builtins.open = lambda f, m="r", *a, **k: real(f, m, 1) if f == log else real(f, m, *a, **k)
sys.argv = ["orca", "--debug-file=" + log]
main = runpy.run_path(orca, run_name="launcher")["main"]
main.__globals__["otherOrcas"] = lambda: []
sys.exit(main())' "$log" "$orca" >/dev/null 2>&1 & hard+=($!)
since() { tail -n +$((mark + 1)) "$log" 2>/dev/null | grep -a "$1"; }
said() { since "SPEECH OUTPUT:" | sed "s/^.*OUTPUT: //"; }
wait_for() {  # PATTERN [SECONDS]: until Orca has said it since the mark
    for _ in $(seq $((${2:-20} * 10))); do said | grep -q -e "$1" && return; sleep 0.1; done
    return 1
}
press() { mark=$(wc -l <"$log"); xdotool key --clearmodifiers "$@"; }
fail() { echo "FAIL: $*" >&2; said | sed "s/^/  Orca said: /" >&2; failed=1; }

wait_for "Screen reader on" 40 || { fail "Orca did not start"; exit 1; }
wait_for "Msg 1 text" || fail "the window's focus not named at the start"
press alt+t
wait_for "ZT IC: SMT.*>ZT OK" || fail "Alt+T: no chip and >ZT OK"
for _ in $(seq 12); do  # back along the tab order to Test ZT
    press shift+Tab
    wait_for "push button\.\|text\.\|box\." && ! said | grep -q "Test ZT push button" || break
done
said | grep -q "Test ZT push button" || { fail "Shift+Tab never reached Test ZT"; exit 1; }
press Return
wait_for ">ZT OK" || fail "Enter on Test ZT: no result spoken"
sleep 1  # what would follow the result
said | grep -v "Test ZT" | grep -q "push button" && fail "Enter on Test ZT: another button named"
since "state-changed:focused for \[push button" | grep -qv "Test ZT\]" &&
    fail "Enter on Test ZT: a focus event for another button"
press alt+c
wait_for "File name" || fail "Alt+C: no file dialog"
xdotool type --delay 200 k.eep
press Return
wait_for "EEP FileName: k.eep" || fail "Read Config File: no result spoken"
said | grep -q "Test ZT push button" || fail "Read Config File: the focused control not named"
exit $failed
