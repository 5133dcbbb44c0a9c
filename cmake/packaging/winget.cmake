# The winget manifests of a release (packaging/winget/*.yaml.in) with the version and the hashes
# of the packages this build made; the download address stays for the release to fill in.
set(TRELLWIPE_WINGET_TEMPLATES "${CMAKE_CURRENT_LIST_DIR}/../../packaging/winget")

function(trellwipe_winget_manifests version msi setup out)
  set(VERSION "${version}")
  set(RELEASE_URL "@RELEASE_URL@")
  file(SHA256 "${msi}" MSI_SHA256)
  file(SHA256 "${setup}" SETUP_SHA256)
  string(TOUPPER "${MSI_SHA256}" MSI_SHA256)
  string(TOUPPER "${SETUP_SHA256}" SETUP_SHA256)
  file(GLOB templates "${TRELLWIPE_WINGET_TEMPLATES}/*.yaml.in")
  foreach(template IN LISTS templates)
    get_filename_component(name "${template}" NAME)
    string(REGEX REPLACE "\\.in$" "" name "${name}")
    configure_file("${template}" "${out}/${name}" @ONLY)
  endforeach()
endfunction()
