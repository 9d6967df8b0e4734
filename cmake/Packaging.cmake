# Packages for Windows, made by `cpack` in the cross build (scripts/package):
#   ShuBiao-<version>-win64.zip  portable: one top folder with ShuBiao.exe,
#                                 ShuBiaoCmd.exe (the console companion),
#                                 Skin\ and Data storage\Cursors\ beside them
#   ShuBiao-<version>-win64.exe  installer (NSIS): per machine under Program
#                                 Files, a Start-menu shortcut, an entry in
#                                 Apps & features and an uninstaller, which
#                                 leaves every user's store (%APPDATA%\ShuBiao)
#                                 alone
# The install rules in the root CMakeLists.txt lay out what both contain.

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME ShuBiao)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ShuBiao-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY ShuBiao)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ShuBiao)
# The shipped executable carries no debug information: a release build is
# linked stripped. cpack does not strip again, as binutils' strip writes the
# time into a PE file, and the ZIP and the installer would then hold
# different bytes whenever their two installs fell in different seconds.
# ShuBiao.exe gets a Start-menu shortcut under the program's Chinese name.
set(CPACK_PACKAGE_EXECUTABLES ShuBiao "鼠标指针方案")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)

# The installer. NSIS reads this through CMake's own template; the wrapper
# makes it a Unicode, 64-bit installer.
set(CPACK_NSIS_EXECUTABLE ${CMAKE_CURRENT_LIST_DIR}/makensis-unicode)
set(CPACK_NSIS_PACKAGE_NAME "鼠标指针方案")
set(CPACK_NSIS_DISPLAY_NAME "鼠标指针方案")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/app/res/ShuBiao.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/app/res/ShuBiao.ico)
# Apps & features shows the icon of the installed program (ShuBiao.ico).
set(CPACK_NSIS_INSTALLED_ICON_NAME ShuBiao.exe)
# No "run ShuBiao" box on the finish page: the installer runs elevated, and
# CPack's template starts that program with NSIS' Exec from the installer's
# own process, so ShuBiao would run as the administrator and change the
# administrator's pointers, not the signed-in user's. NSIS and CPack offer no
# way to start a program as the signed-in user without a plug-in (Debian's
# nsis has none for it), so the box is left out; the Start-menu shortcut
# starts it as the user.
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
# Installing over an earlier version first runs its uninstaller.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)

include(CPack)

# Builds both packages into a scratch folder, installs and uninstalls the
# installer in the test prefix, and checks the executable's size and imports.
add_test(NAME install_test
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/install_test.sh
                 --build ${CMAKE_BINARY_DIR}
                 --cpack ${CMAKE_CPACK_COMMAND}
                 --objdump ${CMAKE_OBJDUMP}
                 --wine ${CMAKE_SOURCE_DIR}/cmake/wine-run
                 --source ${CMAKE_SOURCE_DIR})
# It runs in the prefix itself, Wine slot 0, taking turns with the tests
# there (tests/CMakeLists.txt).
set_tests_properties(install_test PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 RESOURCE_LOCK wine_slot0)
