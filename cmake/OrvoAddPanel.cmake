# orvo_add_panel(<name> SOURCES <file>... [LINK <target>...]
#                [VERSION <a.b.c.d>] [DESCRIPTION <text>] [PRODUCT <text>] [COMPANY <text>])
#
# Declares a panel script module the host can load: <name>.so (<name>.dll on Windows), with no "lib"
# prefix, hidden visibility so that load_orvo_client_script (marked ORVO_PANEL_EXPORT) is its only
# exported symbol, warnings on (as errors when ORVO_WERROR is set), linked to orvo::script_helper.
# On Windows it also carries a version block: file and product version VERSION (default 1.0.0.1),
# internal name <name>, UK English with the Unicode code page.
include_guard(GLOBAL)

set(ORVO_PANEL_SUPPORT_DIR ${CMAKE_CURRENT_LIST_DIR})

function(orvo_add_panel name)
  cmake_parse_arguments(PANEL "" "VERSION;DESCRIPTION;PRODUCT;COMPANY" "SOURCES;LINK" ${ARGN})
  if(NOT PANEL_SOURCES)
    message(FATAL_ERROR "orvo_add_panel(${name}): SOURCES is required")
  endif()
  if(PANEL_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvo_add_panel(${name}): unknown arguments ${PANEL_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT PANEL_VERSION)
    set(PANEL_VERSION 1.0.0.1)
  endif()
  if(NOT PANEL_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "orvo_add_panel(${name}): VERSION must have four numbers, like 1.0.0.1")
  endif()
  if(NOT PANEL_DESCRIPTION)
    set(PANEL_DESCRIPTION "${name} panel script")
  endif()
  if(NOT PANEL_PRODUCT)
    set(PANEL_PRODUCT "${name}")
  endif()

  add_library(${name} MODULE ${PANEL_SOURCES})
  target_link_libraries(${name} PRIVATE orvo::script_helper ${PANEL_LINK})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
  )
  if(MSVC)
    target_compile_options(${name} PRIVATE /W4 $<$<BOOL:${ORVO_WERROR}>:/WX>)
  else()
    target_compile_options(${name} PRIVATE -Wall -Wextra $<$<BOOL:${ORVO_WERROR}>:-Werror>)
  endif()

  if(WIN32)
    set(PANEL_NAME ${name})
    string(REPLACE "." "," PANEL_VERSION_COMMAS "${PANEL_VERSION}")
    string(REPLACE "." ", " PANEL_VERSION_TEXT "${PANEL_VERSION}")
    set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
    configure_file(${ORVO_PANEL_SUPPORT_DIR}/orvo_panel_version.rc.in ${rc_file} @ONLY)
    enable_language(RC)
    target_sources(${name} PRIVATE ${rc_file})
    # The host finds the entry point by its plain name; the runtime goes inside the DLL.
    if(MINGW)
      target_link_options(${name} PRIVATE -static-libgcc -static-libstdc++ -static "LINKER:--kill-at")
    endif()
  elseif(NOT APPLE)
    # Hidden visibility covers the panel's own code; the version script also hides what static libraries
    # and the standard library's weak template instances would export. --no-undefined turns a missing
    # definition into a link error instead of a load failure in the host.
    set(map ${ORVO_PANEL_SUPPORT_DIR}/orvo_panel_exports.map)
    target_link_options(${name} PRIVATE "LINKER:--version-script=${map}" "LINKER:--no-undefined")
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
