# The Windows packages, made by CPack from the Windows build (cpack in the
# build folder, or the "package" target): an NSIS installer and a portable
# ZIP of dtbedit.exe, dtbtool.exe and the README. The installer puts them in
# Program Files, adds a Start menu shortcut and registers .dtb files to open
# in the editor with its icon; its uninstaller takes all of that away again.
install(TARGETS dtbedit dtbtool RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_VERBATIM_VARIABLES ON)  # the NSIS lines below reach the script as written
set(CPACK_PACKAGE_NAME "KLV DTB Editor")
set(CPACK_PACKAGE_VENDOR "KLV")
set(CPACK_PACKAGE_FILE_NAME "dtbedit-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "KLV DTB Editor")
set(CPACK_PACKAGE_EXECUTABLES "dtbedit;KLV DTB Editor")  # the Start menu shortcut
set(CPACK_NSIS_PACKAGE_NAME "KLV DTB Editor ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "KLV DTB Editor")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME "dtbedit.exe")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/src/editor/resources/ap_icon.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/src/editor/resources/ap_icon.ico")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# Debian's NSIS builds 64-bit installers from its amd64 stubs; they also run
# under a plain 64-bit Wine.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# .dtb opens in the editor, with the editor's icon; the uninstaller removes
# the association only while it is still the editor's.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  WriteRegStr HKCR ".dtb" "" "KLV.DTBFile"
  WriteRegStr HKCR "KLV.DTBFile" "" "KLV DTB File"
  WriteRegStr HKCR "KLV.DTBFile\DefaultIcon" "" "$INSTDIR\dtbedit.exe,0"
  WriteRegStr HKCR "KLV.DTBFile\shell\open\command" "" '"$INSTDIR\dtbedit.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  ReadRegStr $0 HKCR ".dtb" ""
  StrCmp $0 "KLV.DTBFile" 0 +2
    DeleteRegKey HKCR ".dtb"
  DeleteRegKey HKCR "KLV.DTBFile"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
include(CPack)
