; The peer of the uninstall benchmark: the uninstaller that a product team would
; get from the NSIS installer system, removing its whole installation folder with
; RMDir /r. Like every NSIS uninstaller it runs from a copy of itself in the
; temporary folder, so that its own file in the installation folder can go too.
;
; makensis builds an installer, not an uninstaller: the program built here does
; nothing but write the uninstaller beside itself, as bench_peer_uninstall.exe.
;   makensis -DOUTFILE=<bin folder>/bench_peer_writer.exe bench/peer_uninstaller.nsi
;   wine <bin folder>/bench_peer_writer.exe
; tools/bench-uninstall.sh does both.

Unicode true
Target amd64-unicode
Name "Bramix benchmark peer"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SilentInstall silent
SilentUnInstall silent

Section
  WriteUninstaller "$EXEDIR\bench_peer_uninstall.exe"
SectionEnd

Section "Uninstall"
  RMDir /r "$INSTDIR"
SectionEnd
