; The Windows installer of Morlith: the window and the command-line tool with Qt and the MinGW-w64
; runtime, the licence texts, a Start-menu entry, and an uninstaller listed in Apps & features.
;
; It installs for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Morlith. The Start-menu entry starts the window in %LOCALAPPDATA%\Morlith,
; the user's own folder, so that the window reads and saves its configuration (Config.mlhxml)
; there; its settings and operations log live there too. The uninstaller removes what the
; installer put down and leaves that folder to the user unless it is empty.
;
; makensis -DVERSION=V -DFILEVERSION=A.B.C.D -DBUILD=WINDOWS_BUILD -DOUTFILE=SETUP.exe morlith.nsi
; (scripts/stage-windows runs it.)

; A 64-bit installer: the programs are 64-bit, and it runs where no 32-bit layer is installed.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morlith"

Name "Morlith"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Morlith"
BrandingText "Morlith ${VERSION}"

VIProductVersion "${FILEVERSION}"
VIFileVersion "${FILEVERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Morlith"
VIAddVersionKey /LANG=1033 "FileDescription" "Morlith ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Morlith"
VIAddVersionKey /LANG=1033 "LegalCopyright" "See the licences folder"

!include "MUI2.nsh"
!include "FileFunc.nsh"
; LicenceFiles: every file of the licence folder (scripts/stage-windows lists them).
!include "${BUILD}/licence-files.nsh"
!define MUI_ICON "${BUILD}/icons/morlith.ico"
!define MUI_UNICON "${BUILD}/icons/morlith.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\morlith.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

; The files of the program folder, for installing and for removing exactly these.
!macro ProgramFiles Action
  !insertmacro ${Action} "" morlith.exe "${BUILD}/ship/morlith.exe"
  !insertmacro ${Action} "" morlith-cli.exe "${BUILD}/ship/morlith-cli.exe"
  !insertmacro ${Action} "" Qt6Core.dll "${BUILD}/ship/Qt6Core.dll"
  !insertmacro ${Action} "" Qt6Gui.dll "${BUILD}/ship/Qt6Gui.dll"
  !insertmacro ${Action} "" Qt6Widgets.dll "${BUILD}/ship/Qt6Widgets.dll"
  !insertmacro ${Action} "" libstdc++-6.dll "${BUILD}/ship/libstdc++-6.dll"
  !insertmacro ${Action} "" libgcc_s_seh-1.dll "${BUILD}/ship/libgcc_s_seh-1.dll"
  !insertmacro ${Action} "" libwinpthread-1.dll "${BUILD}/ship/libwinpthread-1.dll"
  !insertmacro ${Action} "" README.txt "${BUILD}/README-windows.txt"
  !insertmacro ${Action} "platforms" qwindows.dll "${BUILD}/ship/platforms/qwindows.dll"
  !insertmacro ${Action} "styles" qwindowsvistastyle.dll "${BUILD}/ship/styles/qwindowsvistastyle.dll"
  !insertmacro LicenceFiles ${Action}
!macroend

!macro PutFile Folder Name Source
  SetOutPath "$INSTDIR\${Folder}"
  File "/oname=${Name}" "${Source}"
!macroend

!macro RemoveFile Folder Name Source
  Delete "$INSTDIR\${Folder}\${Name}"
!macroend

Section "Morlith"
  ; The folder the installation folder goes into, when the installer makes it (the user's
  ; Programs folder on a fresh account): the uninstaller removes it again if it is empty then.
  ${GetParent} "$INSTDIR" $0
  IfFileExists "$0\*.*" +2 0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "CreatedParentFolder" "$0"
  !insertmacro ProgramFiles PutFile
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The Start-menu entry starts the window in the user's own folder (the shortcut's working
  ; folder is the output folder at the time it is made); so does the finish page's "Run".
  CreateDirectory "$LOCALAPPDATA\Morlith"
  SetOutPath "$LOCALAPPDATA\Morlith"
  CreateShortcut "$SMPROGRAMS\Morlith.lnk" "$INSTDIR\morlith.exe" "" "$INSTDIR\morlith.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Morlith"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Morlith"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morlith.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro ProgramFiles RemoveFile
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR\licences"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Morlith.lnk"
  ; The user's configuration, settings and operations log stay; an unused folder goes.
  RMDir "$LOCALAPPDATA\Morlith"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "CreatedParentFolder"
  StrCmp $0 "" +2 0
    RMDir "$0"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; What Qt's file dialog remembers of the window (its last folders and view), and the keys
  ; above it when nothing else is left in them.
  DeleteRegKey HKCU "Software\QtProject\OrganizationDefaults\FileDialog"
  DeleteRegKey /ifempty HKCU "Software\QtProject\OrganizationDefaults"
  DeleteRegKey /ifempty HKCU "Software\QtProject"
SectionEnd

; The uninstaller runs from a copy of itself in a folder of the temporary folder (~nsu*.tmp),
; which Windows would remove only at a restart: a hidden command removes that folder once this
; copy has ended.
Function un.onUninstSuccess
  ${GetParent} "$EXEDIR" $0
  ${GetFileName} "$EXEDIR" $1
  StrCpy $1 $1 4
  StrCmp $0 "$TEMP" 0 done
  StrCmp $1 "~nsu" 0 done
    ; The command starts in the temporary folder itself, not in the folder it removes.
    SetOutPath "$TEMP"
    ExecShell "open" "$SYSDIR\cmd.exe" '/c for /l %i in (1,1,30) do (ping -n 2 127.0.0.1 >nul & rmdir /s /q "$EXEDIR" 2>nul & if not exist "$EXEDIR" exit)' SW_HIDE
  done:
FunctionEnd
