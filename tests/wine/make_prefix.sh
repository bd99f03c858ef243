#!/bin/sh
# make_prefix.sh PREFIX: a fresh 32-bit wine prefix for the scenarios, set up
# so that dialogs close at once and a crash never waits for a person.
set -eu
prefix="$1"
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
timeout 60 wineboot -i >/dev/null 2>&1
settings="$prefix/settings.reg"
cat >"$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
timeout 30 wine regedit /S "$settings" >/dev/null 2>&1
# Without the dialog font the templates are laid out with a substitute and
# labels are cut off.
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
timeout 30 wineserver -w
