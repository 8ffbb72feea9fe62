# The Windows package manager's manifest of Corvalin-Setup.exe, written after
# every link (and signing) into <build>/winget/: the version, installer and
# default-locale files of a 1.10.0 multi-file manifest. The generator is built
# from the catalogue (tools/winget); the build adds the setup's SHA-256 and
# the address it will be downloaded from.
set(CORVALIN_WINGET_INSTALLER_URL "https://example.invalid/set-CORVALIN_WINGET_INSTALLER_URL/Corvalin-Setup.exe"
    CACHE STRING "Address the published Corvalin-Setup.exe is downloaded from, written into the package manifest")

if(CMAKE_CROSSCOMPILING)
  set(MAKE_WINGET_MANIFEST ${HOST_TOOLS_DIR}/winget/make_winget_manifest)
  set(MAKE_WINGET_MANIFEST_DEPENDS host_tools ${MAKE_WINGET_MANIFEST})
else()
  set(MAKE_WINGET_MANIFEST $<TARGET_FILE:make_winget_manifest>)
  set(MAKE_WINGET_MANIFEST_DEPENDS make_winget_manifest)
endif()

set(WINGET_DIR ${CMAKE_BINARY_DIR}/winget)
set(WINGET_STAMP ${CMAKE_CURRENT_BINARY_DIR}/winget.stamp)
add_custom_command(
  OUTPUT ${WINGET_STAMP}
  COMMAND ${CMAKE_COMMAND} -DSETUP=$<TARGET_FILE:corvalin_setup> -DTOOL=${MAKE_WINGET_MANIFEST}
          -DOUT=${WINGET_DIR} -DURL=${CORVALIN_WINGET_INSTALLER_URL}
          -P ${CMAKE_SOURCE_DIR}/cmake/winget-manifest.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${WINGET_STAMP}
  DEPENDS corvalin_setup ${MAKE_WINGET_MANIFEST_DEPENDS} ${CMAKE_SOURCE_DIR}/cmake/winget-manifest.cmake
  COMMENT "Writing the package manager's manifest into ${WINGET_DIR}"
  VERBATIM)
add_custom_target(winget_manifest ALL DEPENDS ${WINGET_STAMP})
