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
  !insertmacro ${Action} "" morlith.exe "${BUILD}/app/morlith.exe"
  !insertmacro ${Action} "" morlith-cli.exe "${BUILD}/tools/cli/morlith-cli.exe"
  !insertmacro ${Action} "" Qt6Core.dll "${BUILD}/app/Qt6Core.dll"
  !insertmacro ${Action} "" Qt6Gui.dll "${BUILD}/app/Qt6Gui.dll"
  !insertmacro ${Action} "" Qt6Widgets.dll "${BUILD}/app/Qt6Widgets.dll"
  !insertmacro ${Action} "" libstdc++-6.dll "${BUILD}/app/libstdc++-6.dll"
  !insertmacro ${Action} "" libgcc_s_seh-1.dll "${BUILD}/app/libgcc_s_seh-1.dll"
  !insertmacro ${Action} "" libwinpthread-1.dll "${BUILD}/app/libwinpthread-1.dll"
  !insertmacro ${Action} "" README.txt "${BUILD}/README-windows.txt"
  !insertmacro ${Action} "platforms" qwindows.dll "${BUILD}/app/platforms/qwindows.dll"
  !insertmacro ${Action} "styles" qwindowsvistastyle.dll "${BUILD}/app/styles/qwindowsvistastyle.dll"
  !insertmacro ${Action} "licences" README.txt "${BUILD}/licences/README.txt"
  !insertmacro ${Action} "licences" LGPL-3.0.txt "${BUILD}/licences/LGPL-3.0.txt"
  !insertmacro ${Action} "licences" GPL-3.0.txt "${BUILD}/licences/GPL-3.0.txt"
  !insertmacro ${Action} "licences" Qt-copyright.txt "${BUILD}/licences/Qt-copyright.txt"
  !insertmacro ${Action} "licences" pugixml.txt "${BUILD}/licences/pugixml.txt"
  !insertmacro ${Action} "licences" libjpeg.txt "${BUILD}/licences/libjpeg.txt"
  !insertmacro ${Action} "licences" MinGW-runtime.txt "${BUILD}/licences/MinGW-runtime.txt"
  !insertmacro ${Action} "licences" MinGW-w64.txt "${BUILD}/licences/MinGW-w64.txt"
!macroend

!macro PutFile Folder Name Source
  SetOutPath "$INSTDIR\${Folder}"
  File "/oname=${Name}" "${Source}"
!macroend

!macro RemoveFile Folder Name Source
  Delete "$INSTDIR\${Folder}\${Name}"
!macroend

Section "Morlith"
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
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
