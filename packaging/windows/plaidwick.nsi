; The Windows installer, PlaidwickSetup.exe: puts Plaidwick.scr and its help
; file into the system folder, writes an uninstaller and the entry in the
; list of installed programs, and on request makes Plaidwick the current
; screensaver. The uninstaller takes back every file and entry it made and
; leaves the user's settings (HKCU\Software\Plaidwick ScreenSaver) alone.
;
; makensis -DVERSION=1.0 -DFILE_VERSION=1.0.0.0 -DSCR=Plaidwick.scr
;          -DCHM=Plaidwick.chm -DICON=plaidwick.ico -DWIZARD_IMAGE=side.bmp
;          -DOUTFILE=PlaidwickSetup.exe plaidwick.nsi
;
; Silent install: PlaidwickSetup.exe /S, with /ACTIVATE to make Plaidwick the
; current screensaver. Silent uninstall: Uninstall.exe /S.

Unicode true
; A 64-bit installer for the 64-bit screensaver: the system folder it sees is
; the real one, and so is the registry.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Plaidwick ScreenSaver"
!define PUBLISHER "The Plaidwick weavers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_IMAGE}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This will install ${PRODUCT} ${VERSION}, a screensaver that weaves Scottish tartans, and its help file into the Windows system folder.$\r$\n$\r$\nYour settings from an earlier copy are kept.$\r$\n$\r$\n$_CLICK"
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} and its help file will be removed from the Windows system folder, and its uninstaller from the folder below. Your settings are kept. Click Uninstall to start."
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed. Choose it, or change its settings, in the screen saver settings of Windows (right-click the desktop, Personalize, Lock screen, Screen saver settings).$\r$\n$\r$\nTo remove it, use Apps (or Programs and Features) in Windows' settings."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$SYSDIR"
  File "/oname=Plaidwick.scr" "${SCR}"
  File "/oname=Plaidwick.chm" "${CHM}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\Plaidwick.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size of what was installed, in KB.
  ${GetSize} "$SYSDIR" "/M=Plaidwick.* /S=0K /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Make it the current screensaver" SecActivate
  ; The one it replaces comes back when Plaidwick is uninstalled.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != "$SYSDIR\Plaidwick.scr"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Replaced Screen Saver" $0
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\Plaidwick.scr"
  System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The screensaver and its help file, in the Windows system folder."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecActivate} "Start Plaidwick when the computer is idle, in place of the current screensaver."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Asked on the components page; a silent install makes Plaidwick the
; current screensaver only with /ACTIVATE.
Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ACTIVATE" $R1
  ${If} ${Errors}
  ${AndIf} ${Silent}
    !insertmacro UnselectSection ${SecActivate}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$SYSDIR\Plaidwick.scr"
  Delete "$SYSDIR\Plaidwick.chm"
  ; Plaidwick as the current screensaver gives way to the one it replaced.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "Replaced Screen Saver"
  ${If} $0 == "$SYSDIR\Plaidwick.scr"
    ${If} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
