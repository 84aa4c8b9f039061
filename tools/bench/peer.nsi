; The peer of Setup in the benchmark: an NSIS 3 installer that does the
; job of Setup's install, built by scripts/bench with makensis only to
; measure Setup against (its size, its start to the first window, and a
; silent install from start to exit). It is never shipped.
;
; Like Setup it carries none of the product: it copies the files of the
; setup media from the folder it runs from ($EXEDIR), so the two setup
; programs compare as programs. On install it
; - copies Quorvane.ex_, Quorvane.hl_, Quorvane.cn_, Readme.txt,
;   Setup.exe and Helper.ex_ byte for byte into the install folder as
;   Quorvane.exe, Quorvane.hlp, Quorvane.cnt, Readme.txt, Setup.exe and
;   Helper.exe; a copy that fails ends the install (exit code 2);
; - creates NoTitle.set empty (replacing one that is there) and
;   "!Default.kws" empty where there is none (an existing one keeps the
;   user's keywords);
; - seeds HKCU\Software\Veskaro\Quorvane\Main and \Option with the main
;   program's defaults, each value only where it is missing;
; - records InstallPath (the folder with its trailing backslash) and
;   Version 130 under ...\Setup, and the same under
;   HKLM\SOFTWARE\Veskaro\Quorvane\Setup; failing to write them ends the install;
; - registers the uninstall entry "Veskaro Quorvane" under HKLM, whose
;   commands start the installed Setup.exe (the peer has no uninstaller
;   of its own), best effort as Setup does.
; It asks for administrator rights as Setup's manifest does. The default
; folder is Setup's, C:\Program Files\Veskaro\Quorvane, spelled out as
; Setup has it rather than $PROGRAMFILES (which a 32-bit installer on
; 64-bit Windows would read as "Program Files (x86)"). /S installs
; silently and /D=<folder>, last on the line, names the folder.
;
; What Setup does beyond this is left out, as an installer written for
; speed would leave it out too: the peer installs only (no update or
; uninstall mode from the installation record), does not refuse beside a
; running main program or Helper, keeps the install folder's inherited
; permissions (Setup gives the folder it creates those of Program Files),
; does not skip the copies when installing into the media folder itself,
; and counts a value of another type than string or DWORD as missing.
;
; Plain NSIS pages: the folder page and the install page, with NSIS's own
; Japanese texts. The compressor is makensis's default (zlib, not solid):
; the installer carries no files, only its script and the language texts,
; and the zlib stub is the smallest; CRC checking at start stays on, as by
; default. The source is UTF-8 (scripts/bench passes -INPUTCHARSET UTF8).

Unicode true
Name "Quorvane"
!ifndef OUTFILE
  !define OUTFILE "peer-setup.exe"
!endif
OutFile "${OUTFILE}"
InstallDir "C:\Program Files\Veskaro\Quorvane"
RequestExecutionLevel admin
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"

Page directory
Page instfiles

!define PRODUCT_KEY "Software\Veskaro\Quorvane"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Veskaro Quorvane"

; the install folder with its trailing backslash, as Setup records it
Var Folder

; a byte copy of a media file; a failed one ends the install
!macro CopyFromMedia MEDIA_NAME NAME
  ClearErrors
  CopyFiles /SILENT /FILESONLY "$EXEDIR\${MEDIA_NAME}" "$INSTDIR\${NAME}"
  IfErrors failed
!macroend

; a DWORD default, written only where the value is missing: ReadRegStr
; fails with no text for a missing value, and fails with the number as
; text for a DWORD
!macro SeedDword KEY NAME VALUE
  ClearErrors
  ReadRegStr $0 HKCU "${KEY}" "${NAME}"
  IfErrors 0 +3
  StrCmp $0 "" 0 +2
  WriteRegDWORD HKCU "${KEY}" "${NAME}" ${VALUE}
!macroend

Section
  StrCpy $Folder $INSTDIR
  StrCpy $0 $Folder 1 -1
  StrCmp $0 "\" +2
  StrCpy $Folder "$Folder\"

  ClearErrors
  SetOutPath $INSTDIR
  IfErrors failed

  !insertmacro CopyFromMedia "Quorvane.ex_" "Quorvane.exe"
  !insertmacro CopyFromMedia "Quorvane.hl_" "Quorvane.hlp"
  !insertmacro CopyFromMedia "Quorvane.cn_" "Quorvane.cnt"
  !insertmacro CopyFromMedia "Readme.txt" "Readme.txt"
  !insertmacro CopyFromMedia "Setup.exe" "Setup.exe"
  !insertmacro CopyFromMedia "Helper.ex_" "Helper.exe"

  ; the main program's settings file, empty, replacing one that is there
  ClearErrors
  FileOpen $0 "$INSTDIR\NoTitle.set" w
  IfErrors +2
  FileClose $0

  ; the keyword file: opened for appending, so created where missing and
  ; left as it is where it exists; anything else (a folder of that name)
  ; ends the install
  ClearErrors
  FileOpen $0 "$INSTDIR\!Default.kws" a
  IfErrors failed
  FileClose $0

  !insertmacro SeedDword "${PRODUCT_KEY}\Main" "History" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Main" "WindowTop" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Main" "WindowLeft" 0

  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsCompareIC" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsPartOfKeyword" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsSearchAll" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsExplorerView" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsEndAfterOpen" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "UseAutoComplete" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "ShowExplorer" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "ShowSpecials" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "UseExtended" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsLastLocation" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsOnTop" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "ShowTrayIcon" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "UseActivateKey" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "UseActivateKeyToTop" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "UseActivateKeyMod" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "UseActivateKeyCode" 18
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "IsModernButton" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "ShowMenuIcon" 1
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "WindowSize" 0
  !insertmacro SeedDword "${PRODUCT_KEY}\Option" "UseShellExtention" 0

  ; the installation record: without it no later Setup could update or
  ; uninstall
  ClearErrors
  WriteRegStr HKLM "SOFTWARE\Veskaro\Quorvane\Setup" "InstallPath" $Folder
  WriteRegDWORD HKLM "SOFTWARE\Veskaro\Quorvane\Setup" "Version" 130
  WriteRegStr HKCU "${PRODUCT_KEY}\Setup" "InstallPath" $Folder
  WriteRegDWORD HKCU "${PRODUCT_KEY}\Setup" "Version" 130
  IfErrors failed

  ; the uninstall entry, best effort: without the rights to write HKLM
  ; the installation stays valid without one
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Veskaro Quorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$FolderSetup.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$FolderSetup.exe" /S /UNINSTALL'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$FolderSetup.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.30"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Veskaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" $Folder
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ClearErrors
  Return

failed:
  Abort "セットアップを完了できませんでした。"
SectionEnd
