# Installing the Linux program (`cmake --install build/linux --prefix P`) and
# its Debian package (`cpack -G DEB` in the build folder): the program, its
# help file, man page, desktop entry and icons, and what XScreenSaver reads
# to offer it as a display mode.
include(GNUInstallDirs)

# A man page and icons as the package wants them: compressed, and the
# program's icon at each of its sizes as PNGs in the hicolor theme's layout.
set(PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(
  OUTPUT ${PACKAGING_DIR}/plaidwick.6.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PACKAGING_DIR}
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/plaidwick.6 > ${PACKAGING_DIR}/plaidwick.6.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/plaidwick.6)
add_custom_command(
  OUTPUT ${PACKAGING_DIR}/icons.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PACKAGING_DIR}/hicolor
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_icon.py --png ${PACKAGING_DIR}/hicolor
  COMMAND ${CMAKE_COMMAND} -E touch ${PACKAGING_DIR}/icons.stamp
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py)
add_custom_command(
  OUTPUT ${PACKAGING_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PACKAGING_DIR}
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${PACKAGING_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
add_custom_target(plaidwick_packaging ALL
  DEPENDS ${PACKAGING_DIR}/plaidwick.6.gz ${PACKAGING_DIR}/changelog.gz ${PACKAGING_DIR}/icons.stamp)

install(TARGETS plaidwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET plaidwick_help)
  install(FILES ${CMAKE_BINARY_DIR}/Plaidwick.chm DESTINATION ${CMAKE_INSTALL_DATADIR}/plaidwick)
endif()
install(FILES ${PACKAGING_DIR}/plaidwick.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/plaidwick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${PACKAGING_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${PACKAGING_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/plaidwick)
# XScreenSaver runs display modes from its own folder and describes their
# options from its config folder; the display mode is a link to the program.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/plaidwick.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(CODE "
  set(hacks \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\")
  file(MAKE_DIRECTORY \"\${hacks}\")
  file(RELATIVE_PATH target \"/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\" \"/${CMAKE_INSTALL_BINDIR}/plaidwick\")
  file(CREATE_LINK \"\${target}\" \"\${hacks}/plaidwick\" SYMBOLIC)
  message(STATUS \"Installing: \${hacks}/plaidwick -> \${target}\")")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plaidwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Plaidwick developers <plaidwick@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screensaver that weaves Scottish tartans")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Plaidwick carries 272 named tartans. It weaves each thread by thread in
2/2 twill, enlarges it, repeats it over the screen, optionally writes its
name, and moves on to the next until the pointer moves.

It runs on its own (plaidwick /s, settings with plaidwick /c) and as an
XScreenSaver display mode (plaidwick --root).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xchm")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
