#!/usr/bin/env bash
# Builds konfex and takes the README's pictures under Xvfb: docs/main-window.png (the main window with a
# sample configuration open) and docs/connections-editor.png (the "EtherNet/IP Access" table editor opened
# from it). The program pictures itself (KONFEX_SCREENSHOT, KONFEX_SCREENSHOT_DIALOG: src/gui/app/start_hooks.h);
# a sample program folder in a temporary folder keeps the user's own settings out of it.
# KONFEX_BUILD_DIR chooses the build folder (default build/default, as scripts/run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${KONFEX_BUILD_DIR:-build/default}
if [ ! -f "$build/CMakeCache.txt" ]; then cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; fi
cmake --build "$build" --target konfex

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
config=$home/PROJECTS/Demo
mkdir -p "$config/bin" "$home/LANGUAGE" "$home/MASTER"
[ -d "$build/bin/LANGUAGE" ] && cp -r "$build/bin/LANGUAGE/." "$home/LANGUAGE/"
cat >"$home/Konfex.xml" <<'EOF'
<Conf_Settings>
  <lastproj><projectname>Demo</projectname></lastproj>
  <lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>
  <lastlang><language>English</language></lastlang>
  <lastinternet><enable_internet>0</enable_internet><enable_update>0</enable_update>
    <enable_jump_field_tables>0</enable_jump_field_tables><Double_Click_Auto_Size>0</Double_Click_Auto_Size>
  </lastinternet>
</Conf_Settings>
EOF
row() {  # IP, first input, inputs, first output, outputs, poll time, name
  echo "  <row Enable=\"Y\" IP_Address=\"$1\" Start_Input=\"$2\" Num_Input=\"$3\" Start_Output=\"$4\"" \
    "Num_Output=\"$5\" Time_Poll=\"$6\" Instance_T_O=\"101\" Connection_Point_T_O=\"101\" Instance_O_T=\"100\"" \
    "Connection_Point_O_T=\"100\" Dim_Header_T_O=\"Default\" Dim_Header_O_T=\"Default\" Mnemonic=\"$7\"/>"
}
{
  echo "<EtherNetIP_Master_Access>"
  row 192.168.2.20 0 32 0 16 10 "Valve island"
  row 192.168.2.21 32 8 16 8 20 "Drive 1"
  row 192.168.2.22 40 8 24 8 20 "Drive 2"
  row 192.168.2.30 48 64 32 64 50 "Remote I/O"
  echo "</EtherNetIP_Master_Access>"
  echo "<!--SW_VERSION = 1.005-->"
} >"$config/EtherNetIP_Master_Rules.xml"

mkdir -p docs
rm -f docs/main-window.png docs/connections-editor.png
env KONFEX_HOME="$home" KONFEX_SCREENSHOT="$PWD/docs/main-window.png" \
  KONFEX_SCREENSHOT_DIALOG="Btn_EtherNetIP_Access=$PWD/docs/connections-editor.png" \
  QT_QPA_PLATFORM=xcb timeout 120 xvfb-run -a -s "-screen 0 1600x1200x24" "$build/bin/konfex"
[ -f docs/main-window.png ] || { echo "no picture of the main window was taken" >&2; exit 1; }
ls -l docs/*.png
[ -f docs/connections-editor.png ] || echo "the table editor opened no dialog: only the main window was pictured"
