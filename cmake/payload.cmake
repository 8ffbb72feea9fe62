# The payload of Corvalin-Setup.exe: the fifteen product files packed into
# records (RCDATA 128 to 142). By default the files are sample files
# generated at build time; CORVALIN_PAYLOAD_DIR points the build at a
# maker's own folder instead. Both builds write
#   payload/sample/            the generated product files (default only)
#   payload/records/           payload_<id>.rec and payload.rc, the resource script
# and set PAYLOAD_SOURCE_DIR, PAYLOAD_RECORDS_DIR, PAYLOAD_RC,
# PAYLOAD_RECORD_FILES, PAYLOAD_RC_INCLUDE and the target payload_records.

set(PAYLOAD_BIN ${CMAKE_BINARY_DIR}/payload)
set(PAYLOAD_RECORDS_DIR ${PAYLOAD_BIN}/records)
set(PAYLOAD_RC ${PAYLOAD_RECORDS_DIR}/payload.rc)
set(PAYLOAD_RECORD_FILES "")
foreach(id RANGE 128 142)
  list(APPEND PAYLOAD_RECORD_FILES ${PAYLOAD_RECORDS_DIR}/payload_${id}.rec)
endforeach()

if(CMAKE_CROSSCOMPILING)
  set(PACK_PAYLOAD ${HOST_TOOLS_DIR}/payload/pack_payload)
  set(MAKE_SAMPLES ${HOST_TOOLS_DIR}/payload/make_samples)
  set(PACK_PAYLOAD_DEPENDS host_tools ${PACK_PAYLOAD})
  set(MAKE_SAMPLES_DEPENDS host_tools ${MAKE_SAMPLES})
else()
  set(PACK_PAYLOAD $<TARGET_FILE:pack_payload>)
  set(MAKE_SAMPLES $<TARGET_FILE:make_samples>)
  set(PACK_PAYLOAD_DEPENDS pack_payload)
  set(MAKE_SAMPLES_DEPENDS make_samples)
endif()

# This tree's Uninstall.exe, for the sample payload and for a maker's folder
# that brings none: a target of the Windows build; the native build compiles
# the same sources (the uninstaller only) as a separate mingw-w64 project.
if(WIN32)
  set(UNINSTALLER_EXE ${CMAKE_BINARY_DIR}/Uninstall.exe)
  set(UNINSTALLER_TARGET corvalin_uninstall)
else()
  find_program(CORVALIN_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix)
  if(NOT CORVALIN_MINGW_CXX)
    message(FATAL_ERROR "Uninstall.exe is built with mingw-w64: install g++-mingw-w64-x86-64-posix.")
  endif()
  include(ExternalProject)
  set(UNINSTALLER_DIR ${PAYLOAD_BIN}/uninstaller)
  set(UNINSTALLER_EXE ${UNINSTALLER_DIR}/Uninstall.exe)
  ExternalProject_Add(uninstaller_exe
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${UNINSTALLER_DIR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
               -DCORVALIN_UNINSTALLER_ONLY=ON -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
               # The same signing as the Windows build (empty = unsigned);
               # only paths are passed, never the password itself.
               -DCORVALIN_SIGN_PKCS12=${CORVALIN_SIGN_PKCS12_ABS}
               -DCORVALIN_SIGN_PASSWORD_FILE=${CORVALIN_SIGN_PASSWORD_FILE_ABS}
               -DCORVALIN_SIGN_TIMESTAMP_URL=${CORVALIN_SIGN_TIMESTAMP_URL}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target corvalin_uninstall
    BUILD_BYPRODUCTS ${UNINSTALLER_EXE}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(UNINSTALLER_TARGET uninstaller_exe)
endif()

if(CORVALIN_PAYLOAD_DIR)
  get_filename_component(PAYLOAD_SOURCE_DIR ${CORVALIN_PAYLOAD_DIR} ABSOLUTE)
  if(NOT IS_DIRECTORY ${PAYLOAD_SOURCE_DIR})
    message(FATAL_ERROR "CORVALIN_PAYLOAD_DIR: ${PAYLOAD_SOURCE_DIR} is not a folder")
  endif()
  set(PAYLOAD_SOURCE_STAMP "")
  if(NOT EXISTS ${PAYLOAD_SOURCE_DIR}/Uninstall.exe)
    # The maker brings no uninstaller: theirs are the other files (linked
    # into a folder of this build), ours is Uninstall.exe.
    set(maker_dir ${PAYLOAD_SOURCE_DIR})
    set(PAYLOAD_SOURCE_DIR ${PAYLOAD_BIN}/maker)
    file(REMOVE_RECURSE ${PAYLOAD_SOURCE_DIR})
    file(MAKE_DIRECTORY ${PAYLOAD_SOURCE_DIR})
    file(GLOB maker_files ${maker_dir}/*)
    foreach(file ${maker_files})
      get_filename_component(name ${file} NAME)
      file(CREATE_LINK ${file} ${PAYLOAD_SOURCE_DIR}/${name} SYMBOLIC)
    endforeach()
    set(PAYLOAD_SOURCE_STAMP ${PAYLOAD_BIN}/maker.stamp)
    add_custom_command(
      OUTPUT ${PAYLOAD_SOURCE_STAMP}
      COMMAND ${CMAKE_COMMAND} -E copy ${UNINSTALLER_EXE} ${PAYLOAD_SOURCE_DIR}/Uninstall.exe
      COMMAND ${CMAKE_COMMAND} -E touch ${PAYLOAD_SOURCE_STAMP}
      DEPENDS ${UNINSTALLER_TARGET} ${UNINSTALLER_EXE}
      COMMENT "Adding this build's Uninstall.exe to the product files")
  endif()
else()
  # The placeholder main program is a Windows program: a normal target of the
  # Windows build, a separate mingw-w64 project of the native build. Both
  # compile it with the same flags, so both builds pack the same bytes.
  set(PLACEHOLDER_DIR ${PAYLOAD_BIN}/placeholder)
  set(PLACEHOLDER_EXE ${PLACEHOLDER_DIR}/Corvalin.exe)
  if(WIN32)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tools/payload/placeholder ${PLACEHOLDER_DIR})
    set(PLACEHOLDER_TARGET corvalin_placeholder)
  else()
    ExternalProject_Add(placeholder_exe
      SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/payload/placeholder
      BINARY_DIR ${PLACEHOLDER_DIR}
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
      BUILD_BYPRODUCTS ${PLACEHOLDER_EXE}
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON)
    set(PLACEHOLDER_TARGET placeholder_exe)
  endif()

  set(PAYLOAD_SOURCE_DIR ${PAYLOAD_BIN}/sample)
  set(PAYLOAD_SOURCE_STAMP ${PAYLOAD_BIN}/sample.stamp)
  add_custom_command(
    OUTPUT ${PAYLOAD_SOURCE_STAMP}
    COMMAND ${MAKE_SAMPLES} ${PAYLOAD_SOURCE_DIR} ${PLACEHOLDER_EXE} ${UNINSTALLER_EXE}
    COMMAND ${CMAKE_COMMAND} -E touch ${PAYLOAD_SOURCE_STAMP}
    DEPENDS ${MAKE_SAMPLES_DEPENDS} ${PLACEHOLDER_TARGET} ${PLACEHOLDER_EXE} ${UNINSTALLER_TARGET} ${UNINSTALLER_EXE}
    COMMENT "Generating the sample product files")
endif()

add_custom_command(
  OUTPUT ${PAYLOAD_RC} ${PAYLOAD_RECORD_FILES}
  COMMAND ${PACK_PAYLOAD} ${PAYLOAD_SOURCE_DIR} ${PAYLOAD_RECORDS_DIR} --depfile ${PAYLOAD_BIN}/payload.d
  DEPENDS ${PACK_PAYLOAD_DEPENDS} ${PAYLOAD_SOURCE_STAMP}
  DEPFILE ${PAYLOAD_BIN}/payload.d
  COMMENT "Packing the payload records")
add_custom_target(payload_records DEPENDS ${PAYLOAD_RC} ${PAYLOAD_RECORD_FILES})

set(PAYLOAD_RC_INCLUDE "#include \"${PAYLOAD_RC}\"")
