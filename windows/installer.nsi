; The Windows installer: torvane.exe and torvane-cli.exe into Program Files,
; a Start-menu entry, an uninstaller under Apps & features. Made by
; scripts/windows-package.sh with Debian's makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.3.0 -DBUILD=<build-win> -DOUT=<setup.exe> windows/installer.nsi
; /S installs (and the uninstaller uninstalls) without a window.
Unicode true
; A 64-bit installer for 64-bit programs (it also runs where only 64-bit
; programs run, as under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef BUILD
  !error "BUILD (the Windows build folder) is not defined"
!endif
!ifndef OUT
  !define OUT "torvane-${VERSION}-setup.exe"
!endif

!define NAME "Torvane"
!define PUBLISHER "The Torvane developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Torvane"

Name "$(MenuName) ${VERSION}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\Torvane"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
Icon "${BUILD}\windows\torvane.ico"
UninstallIcon "${BUILD}\windows\torvane.ico"
BrandingText "${NAME} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${NAME}"
VIAddVersionKey /LANG=2052 "FileDescription" "Torvane 固件工具 安装程序"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "© ${PUBLISHER}"

!include "MUI2.nsh"
!define MUI_ICON "${BUILD}\windows\torvane.ico"
!define MUI_UNICON "${BUILD}\windows\torvane.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\torvane.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The installer's pages speak the language of the user's Windows: Simplified
; Chinese on a Chinese Windows, English on any other (the first is the one
; taken when no language matches). The program chooses its own language at
; each start in the same way, so one setup.exe serves both.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

; The Start-menu entry and the name under Apps & features.
LangString MenuName ${LANG_ENGLISH} "Torvane Firmware Tool"
LangString MenuName ${LANG_SIMPCHINESE} "Torvane 固件工具"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Torvane"
  SetOutPath "$INSTDIR"
  File "${BUILD}\torvane.exe"
  File "${BUILD}\torvane-cli.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\$(MenuName).lnk" "$INSTDIR\torvane.exe" "" "$INSTDIR\torvane.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$(MenuName)"
  ; The entry's name as installed, for the uninstaller, whatever language it speaks.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "MenuName" "$(MenuName)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\torvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size Apps & features shows, in KiB.
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "MenuName"
  StrCmp $0 "" +2
  Delete "$SMPROGRAMS\$0.lnk"
  Delete "$SMPROGRAMS\$(MenuName).lnk"
  Delete "$INSTDIR\torvane.exe"
  Delete "$INSTDIR\torvane-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
