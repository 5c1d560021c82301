# The product version and the release packages.
#
# The version is the top-level project's: it names the packages, versions the CMake package (Install.cmake)
# and is what `panel_host --version` prints. It is not the version block of a panel library file: that is
# part of the host contract and set per panel with orvo_add_panel(... VERSION).
#
# Packages (scripts/release.sh makes them all, reproducibly; see it for the Windows zip and the source
# release):
#   cpack -G DEB   orvo-panel-sdk_<version>_amd64.deb from the install rules, for a prefix of /usr
include_guard(GLOBAL)

# --- the version header of our programs ------------------------------------------------------------
set(ORVO_VERSION_INCLUDE_DIR ${PROJECT_BINARY_DIR}/version)
configure_file(${CMAKE_CURRENT_LIST_DIR}/orvo_version.h.in ${ORVO_VERSION_INCLUDE_DIR}/orvo_version.h @ONLY)
if(TARGET panel_host)
  target_include_directories(panel_host PRIVATE ${ORVO_VERSION_INCLUDE_DIR})
  if(ORVO_BUILD_TESTS)
    # Not anchored at the start: under Wine, its own notes can come first.
    add_test(NAME panel_host.version COMMAND panel_host --version)
    set_tests_properties(panel_host.version PROPERTIES
      PASS_REGULAR_EXPRESSION "(^|\n)panel_host ${PROJECT_VERSION}\r?\n")
  endif()
endif()

# --- the Debian package -----------------------------------------------------------------------------
set(ORVO_PACKAGE_NAME orvo-panel-sdk)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
  RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME ${ORVO_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvo panel SDK authors")
set(CPACK_PACKAGE_CONTACT "The Orvo panel SDK authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Orvo panel SDK: panel script helper, host emulator and the Corvane panel")
set(CPACK_PACKAGE_DESCRIPTION "Headers, static libraries and the CMake package OrvoPanelSDK with \
orvo_add_panel, for building panel script libraries for Linux and as the host's 32-bit Windows DLL; the host \
emulator panel_host; the Corvane panel as \
Corvane.so.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# The runtime libraries panel_host and Corvane.so link against, as dpkg-shlibdeps finds them; building a
# panel against the SDK also needs a compiler and CMake.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# GoogleTest for orvo_add_panel_test and the test kit (its sources, which libgtest-dev brings, for the
# Windows builds); the 32-bit MinGW compiler for the DLL the host loads. The 64-bit one and Wine run an
# author's tests as Windows code; strip-nondeterminism makes the template's plant zip byte for byte the same.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cmake (>= 3.25), g++, libgtest-dev, g++-mingw-w64-i686")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "g++-mingw-w64-x86-64, wine64, strip-nondeterminism")
# The same bytes from every build of one commit: CPack takes the member times from SOURCE_DATE_EPOCH
# (scripts/release.sh sets it from the commit), owners are root, and the folders it creates get fixed
# permissions (the files' own come from the install rules).
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${ORVO_DIRECTORY_PERMISSIONS})

include(CPack)
