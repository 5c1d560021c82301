# Makes the plant's zip of a panel DLL: <name>-<version>-win32.zip in OUT, holding the DLL and a
# README.txt made from README (Windows line ends) with the DLL's SHA-256 and what a rebuild needs.
#   cmake -DDLL=<file> -DVERSION=<release> -DREADME=<README.txt.in> -DOUT=<folder> -P plant_zip.cmake
# The template's plant_zip target runs it after building the DLL. The zip's members have fixed times and
# permissions (and, with strip-nondeterminism installed, no other times), so the same DLL gives the same
# zip.
foreach(input DLL VERSION README OUT)
  if(NOT ${input})
    message(FATAL_ERROR "plant_zip.cmake: -D${input}=... is required")
  endif()
endforeach()
get_filename_component(PANEL ${DLL} NAME_WE)
file(SHA256 ${DLL} DLL_SHA256)

# What a rebuild needs: the sources' commit, the Debian release and the compiler.
get_filename_component(sources ${README} DIRECTORY)
execute_process(COMMAND git -C ${sources} rev-parse HEAD OUTPUT_VARIABLE COMMIT
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
if(failed)
  set(COMMIT "(not built from a git checkout)")
endif()
set(DEBIAN "(not Debian)")
if(EXISTS /etc/debian_version)
  file(STRINGS /etc/debian_version DEBIAN LIMIT_COUNT 1)
endif()
execute_process(COMMAND dpkg-query -W -f=\${Package}\ \${Version} g++-mingw-w64-i686-win32
  OUTPUT_VARIABLE COMPILER ERROR_QUIET RESULT_VARIABLE failed)
if(failed)
  execute_process(COMMAND i686-w64-mingw32-g++-win32 --version OUTPUT_VARIABLE COMPILER ERROR_QUIET)
  string(REGEX REPLACE "\n.*" "" COMPILER "${COMPILER}")
endif()

set(folder ${OUT}/plant/${PANEL}-${VERSION}-win32)
file(REMOVE_RECURSE ${OUT}/plant)
file(COPY ${DLL} DESTINATION ${folder} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
configure_file(${README} ${folder}/README.txt @ONLY NEWLINE_STYLE CRLF)
set(zip ${OUT}/${PANEL}-${VERSION}-win32.zip)
# The zip format keeps local times: the time zone is fixed too.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip
                        "--mtime=1980-01-01 00:00:00 UTC"
                        ${PANEL}-${VERSION}-win32/${PANEL}.dll ${PANEL}-${VERSION}-win32/README.txt
  WORKING_DIRECTORY ${OUT}/plant RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "plant_zip.cmake: could not write ${zip}")
endif()
# The zip writer also records each file's access and change times; Debian's strip-nondeterminism clears
# them. Without it the zip differs from one build to the next, its DLL does not.
find_program(STRIP_NONDETERMINISM strip-nondeterminism)
if(STRIP_NONDETERMINISM)
  execute_process(COMMAND ${STRIP_NONDETERMINISM} --type zip --timestamp 315532800 ${zip}
    OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "plant_zip.cmake: strip-nondeterminism failed on ${zip}")
  endif()
else()
  message(STATUS "strip-nondeterminism not found (Debian: strip-nondeterminism): the zip's member "
                 "times vary from build to build; the DLL's bytes do not")
endif()
message(STATUS "${zip}: ${PANEL}.dll, SHA-256 ${DLL_SHA256}")
