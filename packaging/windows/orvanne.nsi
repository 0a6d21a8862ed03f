; The Windows installer. tools/dist.sh runs makensis with
;   -DVERSION=1.0.0 -DSTAGE=<folder with win32/, win64/, readme.txt, presets.nsh>
;   -DOUTFILE=<setup.exe> -DINSTALLED_KB=<size> [-DTARGET=amd64-unicode]
; Command line: /S (silent), /D=<32-bit VST folder> (last, as NSIS wants), /VST64=<64-bit VST folder>.
!ifdef TARGET
  Target ${TARGET}
!else
  Target x86-unicode
!endif
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "Orvanne"
!define COMPANY "Tarvelle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanne"
!define SETTINGS_KEY "Software\Tarvelle\Orvanne"
!define PRESET_SUBFOLDER "Tarvelle\Plug-In Settings\Orvanne"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${COMPANY} ${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${COMPANY}"

Var Vst64Dir
Var PresetRoot
Var AppDir ; where the uninstaller lives: <program files>\Tarvelle\Orvanne
; The two program-files folders as each DLL sees its own: $Pf32 is where a 32-bit program's
; "Program Files" is (Program Files (x86) on 64-bit Windows), $Pf64 the 64-bit one.
Var Pf32
Var Pf64

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup installs ${PRODUCT} ${VERSION}, the stereo look-ahead leveler, as a VST plug-in: the 32-bit DLL and, on 64-bit Windows, the 64-bit DLL, each into the VST folder you choose, and the factory presets.$\r$\n$\r$\nClose your hosts before you go on.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "Read me"
!define MUI_PAGE_HEADER_SUBTEXT "Please read what Setup installs before you go on."
!define MUI_LICENSEPAGE_TEXT_TOP "What Orvanne ${VERSION} installs, and where:"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Press Next to choose the plug-in folders."
!insertmacro MUI_PAGE_LICENSE "${STAGE}/readme.txt"

!define MUI_PAGE_HEADER_TEXT "32-bit VST plug-in folder"
!define MUI_PAGE_HEADER_SUBTEXT "The folder your 32-bit hosts scan for VST plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs the 32-bit Orvanne.dll into this folder. The default is the folder a host registered, else VstPlugins under Program Files (x86)."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "32-bit VST folder"
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "64-bit VST plug-in folder"
!define MUI_PAGE_HEADER_SUBTEXT "The folder your 64-bit hosts scan for VST plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs the 64-bit Orvanne.dll into this folder. The default is the folder a host registered, else VstPlugins under Program Files."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "64-bit VST folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst64Dir
!define MUI_PAGE_CUSTOMFUNCTION_PRE Skip64BitPage
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The bank: macros InstallPresets and RemovePresets over $PresetRoot (written by tools/dist.sh).
!include "${STAGE}/presets.nsh"

; ProgramFolders sets $Pf32 and $Pf64 the same way whichever stub runs the script.
; $PROGRAMFILES32 alone cannot be used: a 64-bit stub is not redirected, and there it names
; the 64-bit "Program Files". On 64-bit Windows the 64-bit registry view holds both folders
; (under either stub); the environment and the shell's folder are the fallbacks.
!macro ProgramFolders un
Function ${un}ProgramFolders
  ${If} ${RunningX64}
    SetRegView 64
    ReadRegStr $Pf32 HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion" "ProgramFilesDir (x86)"
    ${If} $Pf32 == ""
      ReadEnvStr $Pf32 "ProgramFiles(x86)"
    ${EndIf}
    ReadRegStr $Pf64 HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion" "ProgramFilesDir"
    ${If} $Pf64 == ""
      StrCpy $Pf64 $PROGRAMFILES64
    ${EndIf}
  ${EndIf}
  ${If} $Pf32 == ""
    StrCpy $Pf32 $PROGRAMFILES32
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ProgramFolders ""
!insertmacro ProgramFolders "un."

Function Skip64BitPage
  ${IfNot} ${RunningX64}
    Abort
  ${EndIf}
FunctionEnd

; The folder a host registered under HKLM\SOFTWARE\VST in the current registry view, else $1.
Function RegisteredVstFolder
  ReadRegStr $0 HKLM "SOFTWARE\VST" "VSTPluginsPath"
  ${If} $0 == ""
    StrCpy $0 $1
  ${EndIf}
FunctionEnd

Function .onInit
  Call ProgramFolders
  ; /D= has already set $INSTDIR (the 32-bit folder); otherwise the registered one.
  ${If} ${RunningX64}
    SetRegView 32
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $1 "$Pf32\VstPlugins"
    Call RegisteredVstFolder
    StrCpy $INSTDIR $0
  ${EndIf}
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $1 "$Pf64\VstPlugins"
    Call RegisteredVstFolder
    StrCpy $Vst64Dir $0
    StrCpy $AppDir "$Pf64\${COMPANY}\${PRODUCT}"
  ${Else}
    StrCpy $AppDir "$Pf32\${COMPANY}\${PRODUCT}"
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/VST64=" $R1
  ${IfNot} ${Errors}
    StrCpy $Vst64Dir $R1
  ${EndIf}
FunctionEnd

Section "Orvanne" SecMain
  SectionIn RO
  SetOutPath $INSTDIR
  File "/oname=Orvanne.dll" "${STAGE}/win32/Orvanne.dll"
  ; Each DLL reads the preset root under the program-files folder of its own registry view.
  StrCpy $PresetRoot "$Pf32\${PRESET_SUBFOLDER}"
  !insertmacro InstallPresets
  ${If} ${RunningX64}
    SetOutPath $Vst64Dir
    File "/oname=Orvanne.dll" "${STAGE}/win64/Orvanne.dll"
    StrCpy $PresetRoot "$Pf64\${PRESET_SUBFOLDER}"
    !insertmacro InstallPresets
  ${EndIf}

  SetOutPath $AppDir
  WriteUninstaller "$AppDir\Uninstall.exe"
  WriteRegStr HKLM "${SETTINGS_KEY}" "Vst32Dir" "$INSTDIR"
  ${If} ${RunningX64}
    WriteRegStr HKLM "${SETTINGS_KEY}" "Vst64Dir" "$Vst64Dir"
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$AppDir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$AppDir\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$AppDir\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${INSTALLED_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  Call un.ProgramFolders
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; Removes exactly what the installer put down; folders only when they are empty, so the
; user's own presets ("00-User Presets", and everything under %APPDATA%) stay.
Section "Uninstall"
  ReadRegStr $0 HKLM "${SETTINGS_KEY}" "Vst32Dir"
  ReadRegStr $1 HKLM "${SETTINGS_KEY}" "Vst64Dir"
  ${If} $0 != ""
    Delete "$0\Orvanne.dll"
    RMDir "$0"
  ${EndIf}
  ${If} $1 != ""
    Delete "$1\Orvanne.dll"
    RMDir "$1"
  ${EndIf}
  StrCpy $PresetRoot "$Pf32\${PRESET_SUBFOLDER}"
  !insertmacro RemovePresets
  ${If} ${RunningX64}
    StrCpy $PresetRoot "$Pf64\${PRESET_SUBFOLDER}"
    !insertmacro RemovePresets
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ${If} ${RunningX64}
    RMDir "$Pf64\${COMPANY}"
  ${EndIf}
  RMDir "$Pf32\${COMPANY}"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Tarvelle"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
