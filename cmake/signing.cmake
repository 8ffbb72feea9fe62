# Optional Authenticode signing of the executables the build ships, with
# SHA-256 digests, by Debian's osslsigncode. Without CORVALIN_SIGN_PKCS12 the
# build does not sign and nothing below changes it.
#
# The password of the PKCS#12 file is read by osslsigncode from a file at
# signing time; it never appears on a command line, in the cache or in the
# generated build files.

set(CORVALIN_SIGN_PKCS12 "" CACHE FILEPATH
    "PKCS#12 file (code-signing certificate, its chain and key) to sign the executables with; empty = unsigned build")
set(CORVALIN_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "File whose content is the password of CORVALIN_SIGN_PKCS12; empty = the PKCS#12 file has no password")
set(CORVALIN_SIGN_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 timestamp server asked to countersign each signature; empty = no timestamp (needs network)")

if(CORVALIN_SIGN_PKCS12)
  get_filename_component(CORVALIN_SIGN_PKCS12_ABS "${CORVALIN_SIGN_PKCS12}" ABSOLUTE)
  if(NOT EXISTS "${CORVALIN_SIGN_PKCS12_ABS}" OR IS_DIRECTORY "${CORVALIN_SIGN_PKCS12_ABS}")
    message(FATAL_ERROR "CORVALIN_SIGN_PKCS12: ${CORVALIN_SIGN_PKCS12_ABS} is not a file")
  endif()
  set(CORVALIN_SIGN_PASSWORD_FILE_ABS "")
  if(CORVALIN_SIGN_PASSWORD_FILE)
    get_filename_component(CORVALIN_SIGN_PASSWORD_FILE_ABS "${CORVALIN_SIGN_PASSWORD_FILE}" ABSOLUTE)
    if(NOT EXISTS "${CORVALIN_SIGN_PASSWORD_FILE_ABS}" OR IS_DIRECTORY "${CORVALIN_SIGN_PASSWORD_FILE_ABS}")
      message(FATAL_ERROR "CORVALIN_SIGN_PASSWORD_FILE: ${CORVALIN_SIGN_PASSWORD_FILE_ABS} is not a file")
    endif()
  endif()
  find_program(CORVALIN_OSSLSIGNCODE osslsigncode)
  if(NOT CORVALIN_OSSLSIGNCODE)
    message(FATAL_ERROR "CORVALIN_SIGN_PKCS12 is set but osslsigncode is missing (scripts/install-deps.sh installs it)")
  endif()
  message(STATUS "Signing the executables with ${CORVALIN_SIGN_PKCS12_ABS}")
elseif(CORVALIN_SIGN_PASSWORD_FILE OR CORVALIN_SIGN_TIMESTAMP_URL)
  message(FATAL_ERROR "CORVALIN_SIGN_PASSWORD_FILE and CORVALIN_SIGN_TIMESTAMP_URL need CORVALIN_SIGN_PKCS12")
endif()

# Signs the target's file after every link, before anything packs or hashes
# it (call it before such POST_BUILD steps of the same target). description
# is the program's name shown by Windows' elevation prompt.
function(corvalin_sign_executable target description)
  if(NOT CORVALIN_SIGN_PKCS12)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND}
            -DFILE=$<TARGET_FILE:${target}>
            -DDESCRIPTION=${description}
            -DOSSLSIGNCODE=${CORVALIN_OSSLSIGNCODE}
            -DPKCS12=${CORVALIN_SIGN_PKCS12_ABS}
            -DPASSWORD_FILE=${CORVALIN_SIGN_PASSWORD_FILE_ABS}
            -DTIMESTAMP_URL=${CORVALIN_SIGN_TIMESTAMP_URL}
            -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
            -P ${CMAKE_SOURCE_DIR}/cmake/sign-file.cmake
    COMMENT "Signing ${description} (target ${target})"
    VERBATIM)
endfunction()

# Prints the SHA-256 of the target's file after every link (and signing) and
# writes it beside the file as <name>.sha256, in the form sha256sum -c reads.
function(corvalin_print_digest target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -P ${CMAKE_SOURCE_DIR}/cmake/file-digest.cmake
    VERBATIM)
endfunction()
