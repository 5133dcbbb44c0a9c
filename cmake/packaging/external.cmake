# cpack's last generator: the per-machine MSI from the staged program folder, then the winget
# manifests that name it and the per-user installer with their hashes.
include("${CMAKE_CURRENT_LIST_DIR}/msi.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/winget.cmake")

# Beside the staged folder, not inside it: the package holds what is inside.
set(msi "${CPACK_TEMPORARY_DIRECTORY}/../${CPACK_PACKAGE_FILE_NAME}.msi")
trellwipe_make_msi("${CPACK_TEMPORARY_DIRECTORY}" "${CPACK_PACKAGE_VERSION}" "${msi}")
set(CPACK_EXTERNAL_BUILT_PACKAGES "${msi}")
trellwipe_winget_manifests("${CPACK_PACKAGE_VERSION}" "${msi}"
                           "${CPACK_PACKAGE_DIRECTORY}/Trellwipe-${CPACK_PACKAGE_VERSION}-setup.exe"
                           "${CPACK_PACKAGE_DIRECTORY}/winget")
