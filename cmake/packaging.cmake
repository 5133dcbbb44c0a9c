# The packages `cpack` makes from the installed program folder: a portable zip, a per-user NSIS
# installer (our own script in cmake/packaging/NSIS.template.in) and, last, a per-machine MSI with
# the winget manifests (cmake/packaging/external.cmake).
set(CPACK_PACKAGE_NAME "Trellwipe")
set(CPACK_PACKAGE_VENDOR "Trellwipe")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Erases the traces a user's activity leaves on the computer")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Trellwipe")
set(CPACK_GENERATOR "ZIP;NSIS;External")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
# Names each package for what it is; the zip opens to one folder that runs where it is unpacked.
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/packaging/per_generator.cmake")

set(CPACK_NSIS_PACKAGE_NAME "Trellwipe ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Trellwipe")
set(CPACK_NSIS_MUI_ICON "${CMAKE_BINARY_DIR}/src/trellwipe.ico")
set(CPACK_NSIS_MUI_UNIICON "${CMAKE_BINARY_DIR}/src/trellwipe.ico")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_UNINSTALL_NAME "Uninstall")
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT "${PROJECT_SOURCE_DIR}/cmake/packaging/external.cmake")
list(PREPEND CMAKE_MODULE_PATH "${PROJECT_SOURCE_DIR}/cmake/packaging")

include(CPack)
