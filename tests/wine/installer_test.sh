#!/usr/bin/env bash
# installer_test.sh ZTSIM WINE_RUN PREFIX SETUP ZIP STAGE: the Windows setup
# program and zip under Wine, as a user would take them.
#  - A silent install (/S) puts the staged files (STAGE, what the zip holds)
#    under Program Files with the uninstaller and the installer's mark, a
#    Start menu entry with the program's icon, and an Apps & Features entry;
#    the PATH stays as it was; zttools opens .eep files; the guide has CRLF
#    line ends and no Linux-only part.
#  - The installed ztcli.exe runs against the virtual keyer, on the port of
#    the configuration in %APPDATA%\zttools, with Windows' own help and
#    hints; the zip's copy, unpacked into a folder of the user's, takes the
#    file beside it instead.
#  - While ztcli.exe runs, the uninstaller removes nothing and fails.
#  - The uninstaller removes all it installed and nothing else: a file the
#    user left in the folder stays; .eep opens as before; afterwards drive
#    C: and the registry's keys are as they were before.
#  - /S /PATH /NOEEP puts the folder at the end of the system's PATH, .eep
#    stays as it is, and the uninstaller takes out exactly that.
set -uo pipefail
ztsim=$1 wine_run=$2 prefix=$3 setup=$4 zip=$5 stage=$6
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all
# winemenubuilder would copy the Start menu entry into this machine's menus.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
failed=0
fail() { echo "installer: $*" >&2; failed=1; }

"$wine_run" "$prefix" --init
drive=$prefix/drive_c
installed="$drive/Program Files/zttools"
win_installed='C:\Program Files\zttools'
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/zttools.lnk"
appdata="$drive/users/$(id -un)/AppData/Roaming"
portable=$drive/zttools-zip-test
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\zttools'
eep_key='HKLM\Software\Classes\.eep'
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
[[ -d $appdata ]] || { echo "installer: no $appdata in the Wine prefix" >&2; exit 1; }

wine() { "$wine_run" "$prefix" "$@"; }
# Every process of the prefix has ended (the uninstaller runs a copy of
# itself and leaves at once) and the registry is on disk. A program that
# waits for an answer (a message box) would keep it from ending.
settle() {
    timeout 120 wineserver -w || { echo "installer: a program in $prefix does not end" >&2; exit 1; }
}
# reg_value KEY NAME: the value's data, or nothing when there is none.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
# Files and folders on drive C: (Wine's own and the temporary folders
# aside), and the registry's keys.
snapshot() {
    find "$drive" -path "$drive/windows" -prune -o -path "*/Temp" -prune -o \
        -type f -printf '%P %s\n' -o -type d -printf '%P/\n' | sort
    sed -n 's/^\(\[[^]]*\]\).*/\1/p' "$prefix/system.reg" "$prefix/user.reg" | sort
}
reg_default() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'; }
# uninstall [ARGS]: the uninstaller as Apps & Features would start it.
uninstall() {
    wine "$win_installed\\uninstall.exe" /S
    settle
}

# A run that failed half-way may have left an installed copy, and the
# folder on the PATH.
if [[ -e "$installed/uninstall.exe" ]]; then uninstall; fi
rm -rf "$installed" "$portable"
path_before=$(reg_value "$environment_key" PATH)
if [[ "$path_before" == *";$win_installed" ]]; then
    path_before=${path_before%";$win_installed"}
    wine reg add "$environment_key" /v PATH /t REG_EXPAND_SZ /d "$path_before" /f >/dev/null
fi
# Another program opens .eep files; zttools takes them over while installed.
wine reg delete "$eep_key" /f >/dev/null 2>&1
wine reg add "$eep_key" /ve /d other.settings /f >/dev/null
settle
before=$(snapshot)
[[ -n "$path_before" ]] || fail "no PATH in the registry to compare with"

# --- A silent install.
wine "$setup" /S || fail "the setup program ended with status $?"
settle
expected=$( (cd "$stage" && ls; echo uninstall.exe; echo zttools.installed) | sort)
[[ "$(cd "$installed" && ls | sort)" == "$expected" ]] ||
    fail "installed $(cd "$installed" && ls | tr '\n' ' '), not $(tr '\n' ' ' <<<"$expected")"
for file in "$stage"/*; do
    cmp -s "$file" "$installed/$(basename "$file")" || fail "$(basename "$file") differs from the build's"
done
if [[ -f $shortcut ]]; then
    # The target in the link's ANSI part; the icon's place among its UTF-16 strings.
    strings "$shortcut" | grep -qxF "$win_installed\\zttools.exe" ||
        fail "the Start menu entry does not start zttools.exe"
    strings -el "$shortcut" | grep -q "^.\?C:\\\\Program Files\\\\zttools\\\\zttools.exe$" ||
        fail "the Start menu entry does not take zttools.exe's icon"
else
    fail "no Start menu entry"
fi
[[ "$(reg_value "$uninstall_key" DisplayName)" == zttools ]] || fail "no Apps & Features entry"
[[ "$(reg_value "$uninstall_key" UninstallString)" == "\"$win_installed\\uninstall.exe\"" ]] ||
    fail "Apps & Features runs $(reg_value "$uninstall_key" UninstallString)"
[[ "$(reg_value "$uninstall_key" DisplayIcon)" == "$win_installed\\zttools.exe,0" ]] ||
    fail "Apps & Features shows the icon $(reg_value "$uninstall_key" DisplayIcon)"
[[ -n "$(reg_value "$uninstall_key" DisplayVersion)" ]] || fail "Apps & Features shows no version"
[[ "$(reg_value "$environment_key" PATH)" == "$path_before" ]] || fail "the PATH changed unasked"
opens=$(reg_default 'HKLM\Software\Classes\zttools.settings\shell\open\command')
[[ "$(reg_default "$eep_key")" == zttools.settings && "$opens" == "\"$win_installed\zttools.exe\" \"%1\"" ]] ||
    fail ".eep files are $(reg_default "$eep_key"), opened by $opens"
guide=$installed/guide.html
[[ $(wc -l <"$guide") -gt 100 && $(grep -vc $'\r$' "$guide") -eq 0 ]] || fail "guide.html has LF line ends"
! grep -E 'dialout|ModemManager|brltty|/dev/tty|XDG_CONFIG_HOME|ztsim --|umask' "$guide" ||
    fail "guide.html holds those Linux-only parts"

# --- The installed ztcli.exe keeps its port (ztcli port) in and takes it
# from %APPDATA%\zttools; the zip's copy beside it (COM49, which has no
# device).
mkdir -p "$appdata/zttools"
made_appdata_cfg=0
[[ -e "$appdata/zttools/zttools.cfg" ]] || made_appdata_cfg=1
cp -p "$appdata/zttools/zttools.cfg" "$prefix/saved.cfg" 2>/dev/null || true
out=$(wine "$win_installed\\ztcli.exe" port 7 2>&1) || fail "installed ztcli.exe port 7: status $?: $out"
cmp -s <(printf '\x07\0\0\0') "$appdata/zttools/zttools.cfg" ||
    fail "installed ztcli.exe port 7 did not keep COM7 in %APPDATA%\\zttools: $out"
out=$(ZT_SIM_COM=7 "$here/run-with-sim" "$ztsim" "$wine_run" "$prefix" \
    "$win_installed\\ztcli.exe" test 2>&1) || fail "installed ztcli.exe test: status $?: $out"
grep -q "ZT IC: SMT" <<<"$out" || fail "installed ztcli.exe test found no keyer on COM7: $out"
out=$(ZT_SIM_COM=7 ZT_SIM_ARGS=--silent "$here/run-with-sim" "$ztsim" "$wine_run" "$prefix" \
    "$win_installed\\ztcli.exe" test 2>&1)
status=$?
[[ $status -eq 1 && "$out" == *"Device Manager"* && "$out" != *ModemManager* ]] ||
    fail "ztcli.exe on a silent keyer: status $status, not the Windows hint: $out"
out=$(wine "$win_installed\\ztcli.exe" --help 2>&1)
[[ "$out" == *'\\.\COM7'* && "$out" != */dev/* ]] || fail "ztcli.exe --help has no Windows example: $out"

mkdir -p "$portable"
(cd "$portable" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
copy=$(find "$portable" -name ztcli.exe -printf '%h')
[[ "$(cd "$copy" && ls | sort)" == "$(cd "$stage" && ls | sort)" ]] ||
    fail "the zip holds $(cd "$copy" && ls | tr '\n' ' ')"
out=$(wine "C:\\zttools-zip-test\\$(basename "$copy")\\ztcli.exe" port 49 2>&1)
cmp -s <(printf '\x31\0\0\0') "$copy/zttools.cfg" ||
    fail "the zip's ztcli.exe port 49 did not keep COM49 beside it: $out"
out=$(ZT_SIM_COM=7 "$here/run-with-sim" "$ztsim" "$wine_run" "$prefix" \
    "C:\\zttools-zip-test\\$(basename "$copy")\\ztcli.exe" test 2>&1)
status=$?
[[ $status -eq 3 && "$out" == *COM49* ]] ||
    fail "the zip's ztcli.exe did not take COM49 from beside it (status $status): $out"
rm -rf "$portable"
if [[ $made_appdata_cfg -eq 1 ]]; then
    rm -f "$appdata/zttools/zttools.cfg"
    rmdir "$appdata/zttools" 2>/dev/null || true
else
    mv "$prefix/saved.cfg" "$appdata/zttools/zttools.cfg"
fi

# --- Not while ztcli.exe runs (its input held open by sleep). Run in place
# (_?=, which takes the folder unquoted: a batch file gives it its command
# line), as the copy that uninstall.exe starts runs, it says so by its status.
sleep 300 > >(wine "$win_installed\\ztcli.exe" show - >/dev/null 2>&1) &
feeder=$!
for _ in $(seq 100); do
    grep -qsF "$installed/ztcli.exe" /proc/[0-9]*/maps && break
    sleep 0.1
done
batch=$drive/users/$(id -un)/Temp/uninstall-in-place.bat
printf '"%s\\uninstall.exe" /S _?=%s\r\nexit /b %%errorlevel%%\r\n' "$win_installed" "$win_installed" >"$batch"
wine cmd /c "C:\\users\\$(id -un)\\Temp\\uninstall-in-place.bat" >/dev/null
status=$?
[[ $status -eq 2 ]] || fail "uninstalling while ztcli.exe runs ended with status $status, not 2"
[[ -e "$installed/ztcli.exe" && -e "$installed/uninstall.exe" && -f $shortcut ]] ||
    fail "uninstalling while ztcli.exe runs removed some of it"
kill "$feeder" && rm -f "$batch"
settle

# --- Uninstalling keeps what the user put in the folder.
echo "mine" >"$installed/my keyer.eep"
uninstall
[[ "$(cd "$installed" 2>/dev/null && ls)" == "my keyer.eep" ]] ||
    fail "after uninstalling, the folder holds: $(cd "$installed" 2>/dev/null && ls | tr '\n' ' ')"
rm -rf "$installed"
[[ ! -e $shortcut ]] || fail "the Start menu entry is still there"
[[ -z "$(reg_value "$uninstall_key" DisplayName)" ]] || fail "the Apps & Features entry is still there"
[[ "$(reg_default "$eep_key")" == other.settings ]] ||
    fail "after uninstalling, .eep files are $(reg_default "$eep_key"), not other.settings again"
settle
diff <(echo "$before") <(snapshot) >"$prefix/installer.diff" ||
    fail "the uninstaller left C: or the registry changed:"$'\n'"$(cat "$prefix/installer.diff")"

# --- ztcli on the PATH, when asked for, and off it again; .eep left alone.
wine "$setup" /S /PATH /NOEEP || fail "the setup program with /PATH /NOEEP ended with status $?"
settle
[[ "$(reg_value "$environment_key" PATH)" == "$path_before;$win_installed" ]] ||
    fail "with /PATH the PATH is $(reg_value "$environment_key" PATH)"
[[ "$(reg_default "$eep_key")" == other.settings ]] || fail "with /NOEEP .eep is $(reg_default "$eep_key")"
uninstall
[[ "$(reg_value "$environment_key" PATH)" == "$path_before" ]] ||
    fail "after uninstalling the PATH is $(reg_value "$environment_key" PATH)"
[[ ! -e $installed ]] || fail "the uninstaller left $(ls "$installed" | tr '\n' ' ')"
wine reg delete "$eep_key" /f >/dev/null 2>&1
settle
exit $failed
