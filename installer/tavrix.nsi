; The Tavrix installer: a per-machine install under Program Files with a
; Start-menu entry, a desktop shortcut and an entry in Programs and Features.
; Silent for school IT: setup.exe /S [/D=folder], uninstall.exe /S.
;
; Built by scripts/package, which defines:
;   VERSION   the project version (x.y.z) from CMake
;   STAGE     the folder holding the files to install
;   FILES     an include listing those files (Install and Uninstall macros)
;   ICON      the program's icon
;   OUTFILE   the installer to write
;   FAST      (optional) no compression, for the tests' quick builds
;   SIGN      (optional) a command that signs the file named by %1

Unicode true
; A 32-bit installer of the 32-bit program: it runs on 32-bit and 64-bit
; Windows and installs into Program Files (x86) on the latter.
Target x86-unicode
!ifdef FAST
  SetCompress off
!else
  SetCompressor /SOLID lzma
!endif
!ifdef SIGN
  !finalize '${SIGN} "%1"'
  !uninstfinalize '${SIGN} "%1"'
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include WinVer.nsh
!include FileFunc.nsh

!define PRODUCT "Tavrix"
!define SHORTCUT "Tavrix 课堂录屏"
!define PUBLISHER "Tavrix"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix"
; The oldest Windows every shipped program loads on (tests/e2e/windows_floor.sh).
!define MIN_WINDOWS "Windows 7"

Name "${SHORTCUT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true
InstallDir "$PROGRAMFILES\${PRODUCT}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${SHORTCUT} 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tavrix.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\使用说明.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

!include "${FILES}"

; Exit codes of a refused silent install, for school IT's scripts.
!define EXIT_OLD_WINDOWS 3
!define EXIT_RUNNING 4

Function .onInit
  ${IfNot} ${AtLeastWin7}
    MessageBox MB_OK|MB_ICONSTOP "${SHORTCUT} 需要 ${MIN_WINDOWS} 或更新的 Windows，这台电脑的系统太旧，无法安装。" /SD IDOK
    SetErrorLevel ${EXIT_OLD_WINDOWS}
    Quit
  ${EndIf}
FunctionEnd

; A running Tavrix holds its files open: the install or uninstall would leave
; a mix of two versions. It holds the named mutex "Tavrix" while it runs.
!macro RefuseWhileRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Tavrix") p .r0'
  ${If} $0 != 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} 正在运行，请先关闭它再继续。" /SD IDOK
    SetErrorLevel ${EXIT_RUNNING}
    Quit
  ${EndIf}
!macroend

Section "Tavrix"
  !insertmacro RefuseWhileRunning
  SetShellVarContext all

  ; Installing over an earlier version: its own uninstaller removes its files,
  ; shortcuts and entry first, wherever it was installed, so nothing stale stays.
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\uninstall.exe"
    ExecWait '"$1\uninstall.exe" /S _?=$1'
    Delete "$1\uninstall.exe"
    RMDir "$1"
  ${EndIf}

  !insertmacro Install
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}.lnk" "$INSTDIR\Tavrix.exe" "" "$INSTDIR\Tavrix.exe" 0
  CreateShortCut "$DESKTOP\${SHORTCUT}.lnk" "$INSTDIR\Tavrix.exe" "" "$INSTDIR\Tavrix.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${SHORTCUT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tavrix.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $2
SectionEnd

Section "Uninstall"
  !insertmacro RefuseWhileRunning
  SetShellVarContext all
  Delete "$SMPROGRAMS\${SHORTCUT}.lnk"
  Delete "$DESKTOP\${SHORTCUT}.lnk"
  !insertmacro Uninstall
  ; The program's log lies in its folder when started from a shortcut.
  Delete "$INSTDIR\tavrix.log"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
