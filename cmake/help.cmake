# The help file, Plaidwick.chm, compiled from help/ into the build folder
# (beside the Linux program, which finds it there) by tools/make_help.py with
# chmcmd. The gallery's swatches are woven by plaidwick-catalogue, a program
# for the build machine: the Linux build's own, or, in a cross build, one built
# for the build machine from this source tree with its native compilers.
option(PLAIDWICK_HELP "Build the help file Plaidwick.chm" ON)
if(NOT PLAIDWICK_HELP)
  return()
endif()

find_program(CHMCMD chmcmd)
if(NOT CHMCMD)
  message(FATAL_ERROR "chmcmd (Debian package fp-utils) builds Plaidwick.chm: install it, or configure with -DPLAIDWICK_HELP=OFF")
endif()

if(TARGET plaidwick-catalogue)
  set(HELP_CATALOGUE $<TARGET_FILE:plaidwick-catalogue>)
  set(HELP_CATALOGUE_TARGET plaidwick-catalogue)
else()
  include(ExternalProject)
  set(HOST_BUILD_DIR ${CMAKE_BINARY_DIR}/host-tools)
  ExternalProject_Add(host_catalogue
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${HOST_BUILD_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
               -DPLAIDWICK_TESTS=OFF -DPLAIDWICK_HELP=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${HOST_BUILD_DIR} --target plaidwick-catalogue
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${HOST_BUILD_DIR}/tools/catalogue/plaidwick-catalogue
    INSTALL_COMMAND ""
    STEP_TARGETS build)
  set(HELP_CATALOGUE ${HOST_BUILD_DIR}/tools/catalogue/plaidwick-catalogue)
  set(HELP_CATALOGUE_TARGET host_catalogue)
endif()

file(GLOB_RECURSE HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/Plaidwick.chm
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_help.py
          --source ${CMAKE_SOURCE_DIR}/help --catalogue ${HELP_CATALOGUE} --chmcmd ${CHMCMD}
          --work ${CMAKE_BINARY_DIR}/help --output ${CMAKE_BINARY_DIR}/Plaidwick.chm
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_help.py ${HELP_SOURCES} ${HELP_CATALOGUE_TARGET}
          ${HELP_CATALOGUE} ${TARTAN_DATA}
  COMMENT "Compiling the help file Plaidwick.chm")
add_custom_target(plaidwick_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Plaidwick.chm)
set(PLAIDWICK_CATALOGUE_FOR_BUILD ${HELP_CATALOGUE})
