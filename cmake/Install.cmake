# Install rules: the SDK a panel author builds against (headers, static libraries, the CMake package with
# orvo_add_panel), the host emulator, and the Corvane panel itself.
include(CMakePackageConfigHelpers)

set(ORVO_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrvoPanelSDK)
set(ORVO_INSTALL_PANELDIR ${CMAKE_INSTALL_LIBDIR}/orvo/panels)

install(TARGETS orvo_string orvo_script_helper orvo_platform
  EXPORT OrvoPanelSDKTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
)
install(FILES ${ORVO_STRING_PUBLIC_HEADERS} ${ORVO_SCRIPT_HELPER_PUBLIC_HEADERS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvo
)
if(TARGET panel_host)
  set_target_properties(panel_host PROPERTIES EXPORT_NAME panel_host)
  install(TARGETS panel_host EXPORT OrvoPanelSDKTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS Corvane
  LIBRARY DESTINATION ${ORVO_INSTALL_PANELDIR}
  RUNTIME DESTINATION ${ORVO_INSTALL_PANELDIR}
)

install(EXPORT OrvoPanelSDKTargets NAMESPACE orvo:: DESTINATION ${ORVO_INSTALL_CMAKEDIR})
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/OrvoPanelSDKConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfig.cmake
  INSTALL_DESTINATION ${ORVO_INSTALL_CMAKEDIR}
  PATH_VARS ORVO_INSTALL_PANELDIR
)
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion
)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/OrvoPanelSDKConfigVersion.cmake
  ${CMAKE_CURRENT_LIST_DIR}/OrvoAddPanel.cmake
  ${CMAKE_CURRENT_LIST_DIR}/orvo_panel_exports.map
  ${CMAKE_CURRENT_LIST_DIR}/orvo_panel_version.rc.in
  DESTINATION ${ORVO_INSTALL_CMAKEDIR}
)
