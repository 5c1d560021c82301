# Install rules: the SDK a panel author builds against (headers, static libraries, the CMake package with
# orvo_add_panel and the test functions, the panel test kit), the host emulator, the author's documents,
# and the Corvane panel itself. Build it RelWithDebInfo, so an author can step into the helper.
include(CMakePackageConfigHelpers)

# Folders the install creates on its way get these permissions, whatever the umask of whoever installs or
# packages: a release is the same bytes from any builder.
set(ORVO_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${ORVO_DIRECTORY_PERMISSIONS})

set(ORVO_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrvoPanelSDK)
set(ORVO_INSTALL_PANELDIR ${CMAKE_INSTALL_LIBDIR}/orvo/panels)
set(ORVO_INSTALL_WIN64DIR ${CMAKE_INSTALL_LIBDIR}/orvo/win64)

install(TARGETS orvo_string orvo_script_helper orvo_platform
  EXPORT OrvoPanelSDKTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
)
install(FILES ${ORVO_STRING_PUBLIC_HEADERS} ${ORVO_SCRIPT_HELPER_PUBLIC_HEADERS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvo
)
# The test kit links GoogleTest, so it has an export set of its own that the package loads only where
# GoogleTest is found. A kit built against GoogleTest's source (cross builds) is not installed.
if(TARGET orvo_panel_testing AND NOT ORVO_GTEST_FROM_SOURCE)
  install(TARGETS orvo_panel_testing EXPORT OrvoPanelTestingTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${ORVO_PANEL_TESTING_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvo)
  install(EXPORT OrvoPanelTestingTargets NAMESPACE orvo:: DESTINATION ${ORVO_INSTALL_CMAKEDIR})
endif()
if(TARGET panel_host)
  set_target_properties(panel_host PROPERTIES EXPORT_NAME panel_host)
  install(TARGETS panel_host EXPORT OrvoPanelSDKTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The emulator built for 64-bit Windows (scripts/release.sh builds it for the package): an author's
# 64-bit Windows build plays its scenario tests in it under Wine, as Windows code.
set(ORVO_WIN64_PANEL_HOST "" CACHE FILEPATH
  "panel_host.exe for 64-bit Windows, installed for authors' Windows builds")
if(ORVO_WIN64_PANEL_HOST)
  install(PROGRAMS ${ORVO_WIN64_PANEL_HOST} DESTINATION ${ORVO_INSTALL_WIN64DIR})
endif()
# The recorder goes beside the panels it is put in front of.
install(TARGETS Corvane PanelRecorder
  LIBRARY DESTINATION ${ORVO_INSTALL_PANELDIR}
  RUNTIME DESTINATION ${ORVO_INSTALL_PANELDIR}
)

install(EXPORT OrvoPanelSDKTargets NAMESPACE orvo:: DESTINATION ${ORVO_INSTALL_CMAKEDIR})
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/OrvoPanelSDKConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfig.cmake
  INSTALL_DESTINATION ${ORVO_INSTALL_CMAKEDIR}
  PATH_VARS ORVO_INSTALL_PANELDIR CMAKE_INSTALL_DOCDIR ORVO_INSTALL_SRCDIR CMAKE_INSTALL_INCLUDEDIR
            ORVO_INSTALL_WIN64DIR
)
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion
  # A Windows build of any width takes the package and builds its libraries from the installed sources;
  # the package config refuses a Linux build of another width than the installed libraries'.
  ARCH_INDEPENDENT
)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfigVersion.cmake
  ${CMAKE_CURRENT_LIST_DIR}/OrvoAddPanel.cmake
  ${CMAKE_CURRENT_LIST_DIR}/OrvoAddPanelValidation.cmake
  ${CMAKE_CURRENT_LIST_DIR}/orvo_panel_entry_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/orvo_panel_exports.map
  ${CMAKE_CURRENT_LIST_DIR}/orvo_panel_version.rc.in
  ${CMAKE_CURRENT_LIST_DIR}/OrvoPanelSDKFromSource.cmake
  DESTINATION ${ORVO_INSTALL_CMAKEDIR}
)
install(PROGRAMS ${CMAKE_CURRENT_LIST_DIR}/orvo_check_dll.sh DESTINATION ${ORVO_INSTALL_CMAKEDIR})
# The Windows builds of an author's panel: the shipping 32-bit DLL and the 64-bit tests under Wine.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/toolchains/i686-w64-mingw32.cmake
  ${CMAKE_CURRENT_LIST_DIR}/toolchains/x86_64-w64-mingw32.cmake
  ${CMAKE_CURRENT_LIST_DIR}/toolchains/mingw-common.cmake
  DESTINATION ${ORVO_INSTALL_CMAKEDIR}/toolchains
)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/cross/wine-run.sh DESTINATION ${ORVO_INSTALL_CMAKEDIR}/toolchains)

# What an author reads and copies: the guide, the emulator's formats, the workbench, the recorder, the
# panel template, and the API reference when it was built (scripts/release.sh builds it for the package).
install(FILES ${PROJECT_SOURCE_DIR}/docs/panel-authors.md ${PROJECT_SOURCE_DIR}/docs/panel_host.md
  ${PROJECT_SOURCE_DIR}/docs/workbench.md ${PROJECT_SOURCE_DIR}/docs/workbench.png ${PROJECT_SOURCE_DIR}/docs/validator.md
  ${PROJECT_SOURCE_DIR}/docs/recorder.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR}
)
install(FILES ${PROJECT_SOURCE_DIR}/docs/installed-README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
  RENAME README.md)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/panel_template DESTINATION ${CMAKE_INSTALL_DOCDIR}
  PATTERN build EXCLUDE)
install(DIRECTORY ${PROJECT_BINARY_DIR}/docs/api/html DESTINATION ${CMAKE_INSTALL_DOCDIR}/api OPTIONAL)

# The demo site, its layout and scenario, so the installed panel_host plays the installed Corvane. The
# site names its layout folder relative to itself, so the folder keeps its shape.
install(FILES ${PROJECT_SOURCE_DIR}/demo/site.json ${PROJECT_SOURCE_DIR}/demo/demo.scenario
  DESTINATION ${ORVO_INSTALL_SHAREDIR}/demo
)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/layouts DESTINATION ${ORVO_INSTALL_SHAREDIR}/demo)

# The helper's, the contract checker's and the kit's sources, where the debug information of a release build names them
# (ORVO_MAP_SOURCE_PATHS in the top-level CMakeLists.txt): a debugger steps into the helper from an
# author's panel on any machine.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/string ${PROJECT_SOURCE_DIR}/script_helper
  ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR}/host_contract ${PROJECT_SOURCE_DIR}/panel_testing
  DESTINATION ${ORVO_INSTALL_SRCDIR}
  FILES_MATCHING PATTERN "*.cpp" PATTERN "*.h"
)
