# The Windows installer, PlaidwickSetup.exe, made with NSIS (makensis, Debian
# package nsis) from packaging/windows/plaidwick.nsi: Plaidwick.scr and the
# help file into the system folder, an uninstaller, the entry in the list of
# installed programs. Its end-to-end test installs, runs and uninstalls it in
# a Wine prefix made for the run.
if(NOT WIN32)
  return()
endif()
option(PLAIDWICK_INSTALLER "Build the Windows installer PlaidwickSetup.exe" ON)
if(NOT PLAIDWICK_INSTALLER)
  return()
endif()
if(NOT TARGET plaidwick_help)
  message(FATAL_ERROR "The installer carries the help file: configure with PLAIDWICK_HELP on")
endif()
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis (Debian package nsis) builds PlaidwickSetup.exe: install it, or configure with -DPLAIDWICK_INSTALLER=OFF")
endif()

set(INSTALLER_SCRIPT ${CMAKE_SOURCE_DIR}/packaging/windows/plaidwick.nsi)
set(INSTALLER ${CMAKE_BINARY_DIR}/PlaidwickSetup.exe)
set(WIZARD_IMAGE ${CMAKE_BINARY_DIR}/generated/installer-wizard.bmp)
add_custom_command(
  OUTPUT ${WIZARD_IMAGE}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_wizard_image.py ${WIZARD_IMAGE}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_wizard_image.py ${CMAKE_SOURCE_DIR}/tools/make_icon.py
  COMMENT "Weaving the installer's side picture")
add_custom_command(
  OUTPUT ${INSTALLER}
  COMMAND ${MAKENSIS} -V2 -NOCD
          -DVERSION=${PROJECT_VERSION}
          -DFILE_VERSION=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0
          -DSCR=$<TARGET_FILE:plaidwick>
          -DCHM=${CMAKE_BINARY_DIR}/Plaidwick.chm
          -DICON=${CMAKE_SOURCE_DIR}/src/resources/plaidwick.ico
          -DWIZARD_IMAGE=${WIZARD_IMAGE}
          -DOUTFILE=${INSTALLER}
          ${INSTALLER_SCRIPT}
  DEPENDS ${INSTALLER_SCRIPT} plaidwick plaidwick_help ${CMAKE_BINARY_DIR}/Plaidwick.chm
          ${CMAKE_SOURCE_DIR}/src/resources/plaidwick.ico ${WIZARD_IMAGE}
  COMMENT "Making the installer PlaidwickSetup.exe")
add_custom_target(plaidwick_installer ALL DEPENDS ${INSTALLER})

if(PLAIDWICK_TESTS)
  add_test(NAME e2e_installer
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/e2e_installer.sh ${INSTALLER}
                   $<TARGET_FILE:plaidwick> ${CMAKE_BINARY_DIR}/Plaidwick.chm ${PROJECT_VERSION})
  set_tests_properties(e2e_installer PROPERTIES LABELS e2e TIMEOUT 900)
endif()
