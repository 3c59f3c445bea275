; Installer of Kestor for one architecture, built by installer/make_dist.py with makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.12 -DARCH=x86_64 -DEXE=<Kestor.exe> -DREADME=<ReadMe.txt>
;            -DOUTFILE=<setup.exe> installer/Kestor.nsi
; ARCH x86_64 builds a 64-bit installer (it writes and removes the 64-bit registry view that the 64-bit
; Kestor.exe uses), ARCH x86 a 32-bit one.
;
; Kestor keeps its list files in the folder it is started from, and the Start-menu shortcut starts it in
; the install folder, so that folder must be writable by every user who logs on. The default is
; <system drive>\Kestor: a folder made at the root of the system drive gives authenticated users
; write access by inheritance, unlike Program Files on Vista and later.
;
; Silent use: setup.exe /S [/D=<folder>]; Uninstall.exe /S [/PURGE] (/PURGE also deletes the list files
; and the settings, which are kept otherwise).

Unicode true
!ifndef VERSION | ARCH | EXE | README | OUTFILE
  !error "VERSION, ARCH, EXE, README and OUTFILE must be defined"
!endif
!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Kestor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestor"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MENU_FOLDER "$SMPROGRAMS\Kestor"

Name "Kestor ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestSupportedOS all
SetCompressor /SOLID lzma
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "Kestor ${VERSION} (${ARCH})"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "Kestor"
VIAddVersionKey /LANG=2052 "FileDescription" "Kestor ${VERSION} 安装程序 (${ARCH})"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "版权所有 (C) 2003"

!define MUI_ABORTWARNING
!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Kestor 把提醒、用户限制和播放列表保存在安装文件夹里，所以这个文件夹必须让每个用户都能写入。不要选 Program Files：Vista 及以后的 Windows 不允许普通用户在那里写文件。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "卸载程序删除 Kestor.exe、开始菜单的快捷方式和开机自动运行的注册表值。列表文件和设置默认保留。"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

; Kestor holds the mutex "1" while it runs; files in use cannot be replaced or removed. Asks the user to
; exit it first; a silent run gives up.
!macro WAIT_FOR_KESTOR_EXIT un
Function ${un}WaitForKestorExit
  retry:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "1") p .r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kestor 正在运行。请先在托盘菜单中选择“退出”，然后重试。" /SD IDCANCEL IDRETRY retry
      Abort
    ${EndIf}
FunctionEnd
!macroend
!insertmacro WAIT_FOR_KESTOR_EXIT ""
!insertmacro WAIT_FOR_KESTOR_EXIT "un."

Function .onInit
  ; No /D= and no earlier install: the system drive's root, e.g. C:\Kestor.
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR $WINDIR 2
    StrCpy $INSTDIR "$INSTDIR\Kestor"
  ${EndIf}
FunctionEnd

Section "Kestor" SecMain
  SectionIn RO
  Call WaitForKestorExit
  SetOutPath "$INSTDIR"
  File "/oname=Kestor.exe" "${EXE}"
  File "/oname=ReadMe.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcuts are for every user; SetOutPath makes the install folder the start-in folder.
  SetShellVarContext all
  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "$INSTDIR"
  CreateShortCut "${MENU_FOLDER}\Kestor.lnk" "$INSTDIR\Kestor.exe" "" "$INSTDIR\Kestor.exe" 0
  CreateShortCut "${MENU_FOLDER}\说明.lnk" "$INSTDIR\ReadMe.txt"
  CreateShortCut "${MENU_FOLDER}\卸载 Kestor.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kestor ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kestor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kestor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Kestor" SecUninstall
  SectionIn RO
  Call un.WaitForKestorExit
  Delete "$INSTDIR\Kestor.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  Delete "${MENU_FOLDER}\Kestor.lnk"
  Delete "${MENU_FOLDER}\说明.lnk"
  Delete "${MENU_FOLDER}\卸载 Kestor.lnk"
  RMDir "${MENU_FOLDER}"

  ; Start with Windows: the value the program writes at every start while the option is on.
  DeleteRegValue HKLM "${RUN_KEY}" "Kestor"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.删除列表文件和设置" SecPurge
  Delete "$INSTDIR\TimeSet.ini"
  Delete "$INSTDIR\ControlSet.ini"
  Delete "$INSTDIR\Playlist.m3u"
  DeleteRegKey HKCU "Software\Kestor"
  DeleteRegKey HKLM "Software\Kestor"
SectionEnd

; Last, so that the folder goes only when nothing of the user's is left in it.
Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd

; /PURGE ticks the optional section for a silent uninstall.
Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPurge}
  ${EndIf}
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUninstall} "Kestor.exe、开始菜单的快捷方式、开机自动运行的注册表值。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPurge} "提醒 (TimeSet.ini)、用户限制 (ControlSet.ini)、播放列表 (Playlist.m3u) 和注册表里的设置。"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
