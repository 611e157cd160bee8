#!/usr/bin/env bash
# Shows Uninstall.exe at work: installs what it needs, builds the program, stages an
# installation of Bramix in a throwaway Wine prefix and runs the program there on a
# virtual display of its own, saving screenshots of what it shows.
#
# Usage: tools/demo.sh [build folder]      (default: ./build)
#        DEMO_OUT=folder tools/demo.sh     (screenshots; default: ./demo)
#
# The setup dialogs are shown twice: with the built-in Italian texts (screenshots in
# demo/) and with the English translation that the build makes (demo/en/). To try
# a translation instead of the English one:
#        DEMO_LANGUAGE=my.lng DEMO_OUT=/tmp/shots tools/demo.sh   (its screenshots in /tmp/shots/translation/)
#
# Each demonstration is one step function, listed in STEPS at the bottom; a new
# capability adds a function and its name there.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
out="${DEMO_OUT:-$here/demo}"
install_dir='C:\Program Files\Bramix'

log() { printf '\n== %s\n' "$*"; }

# --- set-up -------------------------------------------------------------------

prepare_tools() {
  log "Installing the tools (cross compiler, Wine, virtual display)"
  "$here/tools/install-deps.sh"
}

build_program() {
  log "Building Uninstall.exe into $build"
  cmake -S "$here" -B "$build" -G "Unix Makefiles" >/dev/null
  cmake --build "$build" --target Uninstall dialog_remote english_language -j"$(nproc)" >/dev/null
  exe="$build/bin/Uninstall.exe"
  remote_exe="$build/bin/dialog_remote.exe"
  english="$build/lang/english"
  echo "built $exe, $remote_exe and the English translation in $english"
}

xvfb_pid=""
prefix=""
cleanup() {
  if [ -n "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
  fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# Starts Xvfb on the first free display number from 90 on, so that screenshots
# can name it.
start_display() {
  local n
  for n in $(seq 90 150); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      display=":$n"
      export DISPLAY="$display"
      log "Virtual display $display"
      return 0
    fi
    xvfb_pid=""
  done
  echo "no free X display found" >&2
  exit 1
}

make_prefix() {
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/bramix-demo.XXXXXX")
  # Wine's menu builder would copy the shortcuts that setup makes into this machine's own menus.
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  log "Creating the Wine prefix $prefix"
  wineboot -i >/dev/null 2>&1 || true
  # There is no window manager: Wine draws the frames and captions itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -w
  # Kept running, with Wine's own services started once, until the demo ends, so
  # that the run times below are the program's.
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

# C:\Program Files\Bramix with the uninstaller, stand-ins for the product's files,
# the English translation in lang\english as the release package ships it, and the
# installation list that names them all.
stage_installation() {
  stage="$prefix/drive_c/Program Files/Bramix"
  log "Staging the installation $install_dir"
  mkdir -p "$stage/docs" "$stage/lang/english"
  cp "$exe" "$stage/Uninstall.exe"
  cp "$english/zpklng.dll" "$english/uninstall.lng" "$stage/lang/english/"
  printf 'stand-in for the archiver\r\n' >"$stage/Bramix.exe"
  printf 'stand-in for the shell extension\r\n' >"$stage/zpkext.dll"
  printf 'stand-in for the 32-bit shell extension\r\n' >"$stage/zpkext32.dll"
  cp "$build/bin/bramix.chm" "$stage/bramix.chm"
  printf 'stand-in for the licence\r\n' >"$stage/docs/license.txt"
  printf '%s\r\n' Bramix.exe zpkext.dll zpkext32.dll zpknew.dat zipnew.dat bramix.chm 'docs\license.txt' docs \
    'lang\english\zpklng.dll' 'lang\english\uninstall.lng' 'lang\english' lang Uninstall.exe Uninstall.lst \
    >"$stage/Uninstall.lst"
  show_listing '  ' -R "$stage"
}

# --- helpers for the steps ---------------------------------------------------

# Prints `ls -1` of the given arguments, each line after the indent $1.
show_listing() {
  local indent=$1
  shift
  # shellcheck disable=SC2012 # shown to the reader as ls shows it, never parsed
  ls -1 "$@" | sed "s/^/$indent/"
}

# Runs the dialog driver with the given arguments (see tests/helpers/dialog_remote.cpp).
remote() {
  wine "$remote_exe" "$@" | tr -d '\r'
}

# Saves the screenshot $1 cropped to the dialog with the caption $2 that holds the
# control $3, once that dialog is there.
dialog_screenshot() {
  local geometry=""
  geometry=$(remote rect "$2" "$3") || true
  if [ -z "$geometry" ]; then
    echo "  no dialog \"$2\" with control $3 within 30 s" >&2
    return 1
  fi
  sleep 1  # drawn completely
  mkdir -p "$(dirname "$out/$1")"
  xwd -root -silent -display "$display" | convert xwd:- -crop "$geometry" +repage -strip "$out/$1"  # -strip: no time stamps, so an unchanged window leaves the file unchanged
  echo "screenshot: $out/$1 ($geometry)"
}

# Runs the staged program with the given switches, in the background.
start_program() {
  (cd "$stage" && exec wine "$install_dir\\Uninstall.exe" "$@") &
  program_pid=$!
}

# Runs the staged program to its end and prints its exit code and run time.
run_program() {
  local start end code=0
  start=$(date +%s.%N)
  (cd "$stage" && wine "$install_dir\\Uninstall.exe" "$@") || code=$?
  end=$(date +%s.%N)
  printf '  Uninstall.exe %s -> exit code %d after %.1f s\n' "$*" "$code" "$(awk "BEGIN { print $end - $start }")"
}

# --- steps -------------------------------------------------------------------
# Dialogs are named by caption and by the id of a control they hold: IDOK is 1, IDYES
# 6; in setup, 5128 is the settings dialog's button that opens the context menu
# items, 101 the first item, 5105 the completion dialog's help button.

step_unknown_switch() {
  log "An unrecognised switch ends at once, without a window"
  run_program /unknownswitch
}

step_wait() {
  log "/wait sleeps two seconds, then ends"
  run_program /wait
}

step_warning() {
  log "/wait /warning sleeps, then asks to delete the program by hand"
  start_program /wait /warning
  dialog_screenshot warning.png 'Rimuovi Bramix' 1
  # The box waits for a click; the demo ends the program instead.
  wineserver -k
  local code=0
  wait "$program_pid" || code=$?
  printf '  Uninstall.exe /wait /warning -> closed by the demo after the screenshot (code %d)\n' "$code"
}

step_question() {
  log "Without switches the program asks before it removes anything"
  start_program
  dialog_screenshot question.png 'Rimuovi Bramix' 6
  wineserver -k
  wait "$program_pid" || true
  echo "  closed by the demo without an answer; the installation is untouched:"
  show_listing '    ' "$stage"
}

step_silent_uninstall() {
  log "/s removes the listed files, the product's registry data and, through its script, itself"
  wine reg add 'HKCU\Software\Bramix\Setup' /v ShellExt /t REG_DWORD /d 1 /f >/dev/null 2>&1
  run_program /s
  wineserver -w  # the self-removal script runs after the program has ended
  if [ -e "$stage" ]; then
    echo "  left in the installation folder:"; show_listing '    ' -R "$stage"
  else
    echo "  the installation folder is gone"
  fi
  if wine reg query 'HKCU\Software\Bramix' >/dev/null 2>&1; then
    echo "  HKCU\Software\Bramix is still there"
  else
    echo "  HKCU\Software\Bramix is gone"
  fi
}

# The built-in captions of setup's dialogs.
setup_caption='Configurazione Bramix'
items_caption='Voci del menu contestuale'
done_caption='Configurazione Bramix'

# Runs -setup: screenshots of the settings dialog, the context menu items and the
# completion dialog, their names led by $1 ("" or a folder such as "en/"), each
# dialog found by its caption in the language of the run ($2 settings, $3 context
# menu items, $4 completion) and confirmed with OK.
show_setup_dialogs() {
  local shots=$1 setup=$2 items=$3 completion=$4
  start_program -setup
  dialog_screenshot "${shots}setup.png" "$setup" 5128
  remote click "$setup" 5128 5128
  dialog_screenshot "${shots}context-items.png" "$items" 101
  remote click "$items" 101 1
  sleep 1  # back in the settings dialog
  remote click "$setup" 5128 1
  dialog_screenshot "${shots}done.png" "$completion" 5105
  remote click "$completion" 5105 1
  local code=0
  wait "$program_pid" || code=$?
  printf '  Uninstall.exe -setup -> confirmed, exit code %d\n' "$code"
  if wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bramix archiver' >/dev/null 2>&1; then
    echo "  the Add/Remove Programs entry is written"
  else
    echo "  no Add/Remove Programs entry" >&2
  fi
}

# Prints the caption that the language file $1 gives the dialog $2 (an empty one
# too), or $3 when it gives none: the CAPTION line of the dialog's section after the
# marker line. A file with NUL bytes is read as UTF-16, any other as Windows-1252.
dialog_caption() {
  local file=$1 dialog=$2 fallback=$3 charset=WINDOWS-1252 caption
  if [ "$(tr -cd '\000' <"$file" | head -c 1 | wc -c)" -ne 0 ]; then charset=UTF-16LE; fi
  caption=$(iconv -f "$charset" -t UTF-8 "$file" | tr '\r' '\n' | awk -v dialog="$dialog" '
    !started { started = index($0, "***messages**") > 0; next }
    /^:(STRINGS|MENU)([ \t]|$)/ { section = ""; next }
    /^:DIALOG[ \t]/ { section = $2; next }
    section == dialog && /^CAPTION[ \t,]/ {
      sub(/^CAPTION[ \t,][ \t]*/, ""); sub(/[ \t]+$/, ""); sub(/"$/, ""); sub(/^"/, "")
      print "found:" $0; exit
    }')
  if [ -n "$caption" ]; then printf '%s\n' "${caption#found:}"; else printf '%s\n' "$fallback"; fi
}

# Runs setup with the language file $1 beside the program, and the language library
# $2 beside it too when one is given (the program reads both from its own folder;
# the file wins where they differ); screenshots under the folder $3. Both are taken
# away again afterwards.
show_setup_translated() {
  local file=$1 library=$2 shots=$3
  cp "$file" "$stage/uninstall.lng"
  if [ -n "$library" ]; then cp "$library" "$stage/zpklng.dll"; fi
  show_setup_dialogs "$shots" "$(dialog_caption "$file" SETUPDLG "$setup_caption")" \
    "$(dialog_caption "$file" SETUPCONTEXTITEMS "$items_caption")" "$(dialog_caption "$file" DONEDLG "$done_caption")"
  rm -f "$stage/uninstall.lng" "$stage/zpklng.dll"
}

step_setup_italian() {
  log "-setup shows the settings, the context menu items on request and the completion dialog"
  show_setup_dialogs '' "$setup_caption" "$items_caption" "$done_caption"
}

# English from lang\english, as the release package ships it; or, when DEMO_LANGUAGE
# names a language file, that file alone.
step_setup_translated() {
  if [ -n "${DEMO_LANGUAGE:-}" ]; then
    log "-setup with the language file $DEMO_LANGUAGE beside Uninstall.exe"
    show_setup_translated "$DEMO_LANGUAGE" '' translation/
  else
    log "-setup in English: uninstall.lng and zpklng.dll from lang\\english beside Uninstall.exe"
    show_setup_translated "$stage/lang/english/uninstall.lng" "$stage/lang/english/zpklng.dll" en/
  fi
}

STEPS=(step_unknown_switch step_wait step_warning step_question step_setup_italian step_setup_translated
  step_silent_uninstall)

prepare_tools
build_program
start_display
make_prefix
stage_installation
for step in "${STEPS[@]}"; do "$step"; done
log "Done; screenshots in $out"
