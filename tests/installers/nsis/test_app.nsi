; A small application with a real NSIS installer and uninstaller, for uninstall tests. One
; script serves every test application; makensis defines choose what each one is:
;   NAME        display name and install folder (required)
;   OUTFILE     the installer to write (required)
;   PUBLISHER   publisher (default "Kestrel Test Publisher")
;   KEY         Uninstall subkey (default NAME)
;   VIEW32      register in the 32-bit view of the registry
;   QUIET       also register a QuietUninstallString
;   HANG        the uninstaller never finishes
;   BROWSER     a program the uninstaller starts when done, as a browser with a web page
;   PERUSER     installed for the current user only: into the user's local application data,
;               registered under HKCU, without administrator rights
Unicode true
Target amd64-unicode
SetCompressor zlib
!ifdef PERUSER
RequestExecutionLevel user
!define ROOT HKCU
!else
RequestExecutionLevel admin
!define ROOT HKLM
!endif

!ifndef PUBLISHER
!define PUBLISHER "Kestrel Test Publisher"
!endif
!ifndef KEY
!define KEY "${NAME}"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"

Name "${NAME}"
OutFile "${OUTFILE}"
!ifdef PERUSER
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
!else
InstallDir "$PROGRAMFILES64\${NAME}"
!endif
UninstPage uninstConfirm
UninstPage instfiles

!macro RegistryView
!ifdef VIEW32
  SetRegView 32
!else
  SetRegView 64
!endif
!macroend

Section "Install"
!ifdef PERUSER
  SetShellVarContext current
!endif
  !insertmacro RegistryView
  SetOutPath "$INSTDIR"
  FileOpen $0 "$INSTDIR\payload.txt" w
  FileWrite $0 "${NAME}"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninst.exe"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayVersion" "1.0"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
!ifdef QUIET
  ; The plain command asks for something a silent run cannot answer.
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe" /ask'
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
!else
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
!endif
SectionEnd

Section "Uninstall"
!ifdef PERUSER
  SetShellVarContext current
!endif
  !insertmacro RegistryView
!ifdef HANG
  hang:
    Sleep 1000
    Goto hang
!endif
  Delete "$INSTDIR\payload.txt"
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR"
  DeleteRegKey ${ROOT} "${UNINSTALL_KEY}"
!ifdef BROWSER
  Exec '"${BROWSER}" http://example.invalid/thank-you'
!endif
SectionEnd
