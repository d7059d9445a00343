# The release package: a ZIP with the program, the technician's guide and the licence.
# The firmware folder and the module-exchange programs come from their own suppliers.
#
# Run as a script, this file is the package's test (see the end): it builds the package
# target and checks that the ZIP holds exactly those three files, the texts with Windows
# line ends.
set(KV_PACKAGE_FILES KV730Update.exe GUIDE.txt LICENSE.txt)

if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DKV_BUILD=<win32 build> -DKV_ZIP=<the ZIP> -DKV_TOP=<its folder> -P package.cmake
  file(REMOVE ${KV_ZIP})
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${KV_BUILD} --target package
                  RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(failed OR NOT EXISTS ${KV_ZIP})
    message(FATAL_ERROR "the package target did not make ${KV_ZIP}:\n${output}")
  endif()

  execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${KV_ZIP} OUTPUT_VARIABLE listing)
  string(REGEX REPLACE "\n$" "" listing "${listing}")
  string(REPLACE "\n" ";" entries "${listing}")
  list(FILTER entries EXCLUDE REGEX "/$")  # folder entries
  list(SORT entries)
  set(expected ${KV_PACKAGE_FILES})
  list(TRANSFORM expected PREPEND ${KV_TOP}/)
  list(SORT expected)
  if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "the ZIP holds\n  ${entries}\ninstead of\n  ${expected}")
  endif()

  # Older Notepad shows a text with bare line feeds as one long line.
  set(unpacked ${KV_BUILD}/package/check)
  file(REMOVE_RECURSE ${unpacked})
  file(MAKE_DIRECTORY ${unpacked})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${KV_ZIP} WORKING_DIRECTORY ${unpacked})
  foreach(text GUIDE.txt LICENSE.txt)
    # Read as bytes, one " xx" each: a text read drops the carriage returns.
    file(READ ${unpacked}/${KV_TOP}/${text} content HEX)
    string(REGEX REPLACE "(..)" " \\1" bytes "${content}")
    string(REPLACE " 0d 0a" "" without_line_ends "${bytes}")
    string(FIND "${without_line_ends}" " 0a" bare_line_feed)
    if(NOT bare_line_feed EQUAL -1 OR bytes STREQUAL without_line_ends)
      message(FATAL_ERROR "${text} in the ZIP does not end its lines with CR LF")
    endif()
  endforeach()
  file(REMOVE_RECURSE ${unpacked})
  message(STATUS "${KV_ZIP}: ${entries}")
  return()
endif()

# The texts go out with Windows line ends, whatever the checkout has.
foreach(text docs/GUIDE.txt LICENSE.txt)
  get_filename_component(name ${text} NAME)
  configure_file(${CMAKE_SOURCE_DIR}/${text} ${CMAKE_BINARY_DIR}/package-texts/${name}
                 @ONLY NEWLINE_STYLE CRLF)
endforeach()

install(TARGETS KV730Update RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/package-texts/GUIDE.txt
              ${CMAKE_BINARY_DIR}/package-texts/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KV730Update)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win32)
set(KV_PACKAGE_NAME KV730Update-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_FILE_NAME ${KV_PACKAGE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

add_test(NAME package_zip_holds_program_guide_and_licence
         COMMAND ${CMAKE_COMMAND} -DKV_BUILD=${CMAKE_BINARY_DIR}
                 -DKV_ZIP=${CMAKE_BINARY_DIR}/package/${KV_PACKAGE_NAME}.zip
                 -DKV_TOP=${KV_PACKAGE_NAME} -P ${CMAKE_CURRENT_LIST_FILE})
set_tests_properties(package_zip_holds_program_guide_and_licence PROPERTIES
  CROSSCOMPILING_EMULATOR "" TIMEOUT 300)
