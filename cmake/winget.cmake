# The Windows package manager's manifest of Corvalin-Setup.exe in
# <build>/winget/: the version, installer and default-locale files of a
# 1.10.0 multi-file manifest. The generator is built from the catalogue
# (tools/winget); the build adds the setup's SHA-256 and the address it will
# be downloaded from. It is written as the setup's last step after every link
# (and signing), so whatever builds the setup (`--target corvalin_setup`
# too) leaves a manifest that matches it; a changed address or generator
# writes it again without a link.
set(CORVALIN_WINGET_PLACEHOLDER_URL "https://example.invalid/set-CORVALIN_WINGET_INSTALLER_URL/Corvalin-Setup.exe")
set(CORVALIN_WINGET_INSTALLER_URL "${CORVALIN_WINGET_PLACEHOLDER_URL}"
    CACHE STRING "Address the published Corvalin-Setup.exe is downloaded from, written into the package manifest")

if(CMAKE_CROSSCOMPILING)
  set(MAKE_WINGET_MANIFEST ${HOST_TOOLS_DIR}/winget/make_winget_manifest)
  set(MAKE_WINGET_MANIFEST_TARGET host_tools)
else()
  set(MAKE_WINGET_MANIFEST $<TARGET_FILE:make_winget_manifest>)
  set(MAKE_WINGET_MANIFEST_TARGET make_winget_manifest)
endif()

set(WINGET_DIR ${CMAKE_BINARY_DIR}/winget)
set(WINGET_STAMP ${CMAKE_CURRENT_BINARY_DIR}/winget.stamp)
# The address as a file, so that changing it is a change the build sees.
set(WINGET_URL_FILE ${CMAKE_CURRENT_BINARY_DIR}/winget-url.txt)
file(CONFIGURE OUTPUT ${WINGET_URL_FILE} CONTENT "${CORVALIN_WINGET_INSTALLER_URL}\n")
set(WINGET_WRITE
  ${CMAKE_COMMAND} -DSETUP=$<TARGET_FILE:corvalin_setup> -DTOOL=${MAKE_WINGET_MANIFEST}
  -DOUT=${WINGET_DIR} -DURL=${CORVALIN_WINGET_INSTALLER_URL} -DPLACEHOLDER=${CORVALIN_WINGET_PLACEHOLDER_URL}
  -P ${CMAKE_SOURCE_DIR}/cmake/winget-manifest.cmake)

add_dependencies(corvalin_setup ${MAKE_WINGET_MANIFEST_TARGET})
add_custom_command(TARGET corvalin_setup POST_BUILD
  COMMAND ${WINGET_WRITE}
  COMMAND ${CMAKE_COMMAND} -E touch ${WINGET_STAMP}
  COMMENT "Writing the package manager's manifest into ${WINGET_DIR}"
  VERBATIM)
# Not on the setup's file: its link has written the manifest already.
add_custom_command(
  OUTPUT ${WINGET_STAMP}
  COMMAND ${WINGET_WRITE}
  COMMAND ${CMAKE_COMMAND} -E touch ${WINGET_STAMP}
  DEPENDS ${WINGET_URL_FILE} ${MAKE_WINGET_MANIFEST} ${CMAKE_SOURCE_DIR}/cmake/winget-manifest.cmake
  COMMENT "Writing the package manager's manifest into ${WINGET_DIR}"
  VERBATIM)
add_custom_target(winget_manifest ALL DEPENDS ${WINGET_STAMP})
add_dependencies(winget_manifest corvalin_setup)
