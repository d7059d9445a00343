# The release package: a ZIP with the program, the technician's guide and the licence.
# The firmware folder and the module-exchange programs come from their own suppliers.
install(TARGETS KV730Update RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/docs/GUIDE.txt ${CMAKE_SOURCE_DIR}/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KV730Update)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win32)
set(CPACK_PACKAGE_FILE_NAME KV730Update-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
