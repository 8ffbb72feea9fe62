# Script mode: writes the package manager's manifest of SETUP into OUT.
#   -DSETUP=<Corvalin-Setup.exe> -DTOOL=<make_winget_manifest> -DOUT=<folder> -DURL=<installer address>
#   [-DPLACEHOLDER=<the default address>: warns when URL is still it]
file(SHA256 "${SETUP}" hash)
# Only this build's files in the folder: a renamed package leaves none behind.
file(GLOB stale "${OUT}/*.yaml")
if(stale)
  file(REMOVE ${stale})
endif()
execute_process(COMMAND "${TOOL}" "${OUT}" "${hash}" "${URL}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the package manifest could not be written (make_winget_manifest exit code ${rc})")
endif()
if(DEFINED PLACEHOLDER AND URL STREQUAL PLACEHOLDER)
  message(WARNING "The package manifest in ${OUT} names the placeholder download address ${URL}: "
                  "before publishing, configure with -DCORVALIN_WINGET_INSTALLER_URL=<address of the published Corvalin-Setup.exe>.")
endif()
