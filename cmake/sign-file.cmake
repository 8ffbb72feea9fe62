# Script mode: signs FILE in place with osslsigncode (see signing.cmake).
#   -DFILE -DDESCRIPTION -DOSSLSIGNCODE -DPKCS12 [-DPASSWORD_FILE] [-DTIMESTAMP_URL] -DSOURCE_DIR
#
# The signing time is the SOURCE_DATE_EPOCH of the environment or else the
# time of the last commit, so that a signature made with the same key over the
# same bytes comes out the same (RSA signatures of this kind are
# deterministic). Without either, osslsigncode takes the current time.
set(args sign -pkcs12 "${PKCS12}" -h sha256 -n "${DESCRIPTION}")
if(PASSWORD_FILE)
  list(APPEND args -readpass "${PASSWORD_FILE}")
endif()

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_rc)
  if(NOT git_rc EQUAL 0)
    set(epoch "")
  endif()
endif()
if(NOT epoch STREQUAL "")
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds, not '${epoch}'")
  endif()
  list(APPEND args -time "${epoch}")
endif()
if(TIMESTAMP_URL)
  list(APPEND args -ts "${TIMESTAMP_URL}")
endif()

set(signed "${FILE}.signing")
file(REMOVE "${signed}")
execute_process(COMMAND "${OSSLSIGNCODE}" ${args} -in "${FILE}" -out "${signed}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  # An unsigned file left under the signed build's name would be published
  # by mistake; remove it so that the next build links and signs again.
  file(REMOVE "${signed}" "${FILE}")
  message(FATAL_ERROR "signing ${FILE} failed (the unsigned file was removed):\n${out}")
endif()
file(RENAME "${signed}" "${FILE}")
message(STATUS "Signed ${FILE}")
