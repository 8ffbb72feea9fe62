# Wiring of the payload tests: where the product files and the records of
# this build are, which built Corvalin-Setup.exe to check, and the packer's
# refusals.
set(CORVALIN_SETUP_EXE "" CACHE FILEPATH
    "A built Corvalin-Setup.exe whose payload the tests check against this build's product files (empty: skipped)")

if(TARGET unit_tests AND TARGET payload_records)
  # The Windows build runs the tests under Wine, which sees the Linux file
  # system as drive Z:.
  if(WIN32)
    set(host_prefix "Z:")
  else()
    set(host_prefix "")
  endif()
  set(setup_exe "")
  if(CORVALIN_SETUP_EXE)
    get_filename_component(setup_exe ${CORVALIN_SETUP_EXE} ABSOLUTE)
    set(setup_exe "${host_prefix}${setup_exe}")
  endif()
  # Read by the tests when they run (tests/support/payload_facts.h): compiled
  # in, a change of the product-file folder would compile the test program
  # again.
  file(CONFIGURE OUTPUT ${PAYLOAD_FACTS_FILE} CONTENT
"source=${host_prefix}${PAYLOAD_SOURCE_DIR}
records=${host_prefix}${PAYLOAD_RECORDS_DIR}
setup=${setup_exe}
")
  add_dependencies(unit_tests payload_records)
  if(WIN32)
    # The test program carries the records like the setup does, so the scan
    # can be run through the real resource API.
    target_sources(unit_tests PRIVATE ${PAYLOAD_RC})
    set_source_files_properties(${PAYLOAD_RC} PROPERTIES OBJECT_DEPENDS "${PAYLOAD_RECORD_FILES}")
  endif()
endif()

if(TARGET pack_payload)
  add_test(NAME payload_packer_refusals
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/payload/packer_refusals.sh
            $<TARGET_FILE:pack_payload> ${PAYLOAD_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/packer_refusals)
  add_test(NAME payload_packer_text_warnings
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/payload/packer_text_warnings.sh
            $<TARGET_FILE:pack_payload> ${PAYLOAD_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/packer_text_warnings)
endif()
