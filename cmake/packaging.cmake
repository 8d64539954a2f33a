# CPack: a Debian package of the programs and their manual pages on Linux,
# a zip of the executables for Windows.
set(CPACK_PACKAGE_NAME "labelutils")
set(CPACK_PACKAGE_VENDOR "labelutils developers")
set(CPACK_PACKAGE_CONTACT "labelutils developers <labelutils@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

# The machine-readable Debian copyright file, its notice and terms taken from
# LICENSE so that the two cannot differ. A Debian licence text keeps its
# paragraphs apart with " ." lines and indents every line by one space.
function(label_write_debian_copyright template output)
  set(license_file "${PROJECT_SOURCE_DIR}/LICENSE")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${license_file}")
  file(READ "${license_file}" license)
  if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n")
    message(FATAL_ERROR "LICENSE has no copyright line")
  endif()
  set(LABEL_COPYRIGHT "${CMAKE_MATCH_1}")
  string(FIND "${license}" "Permission is hereby granted" terms_start)
  if(terms_start LESS 0)
    message(FATAL_ERROR "LICENSE is not the MIT licence this file describes")
  endif()
  string(SUBSTRING "${license}" ${terms_start} -1 terms)
  string(STRIP "${terms}" terms)
  string(REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REPLACE "\n" "\n " terms "${terms}")
  set(LABEL_LICENSE_TERMS " ${terms}")
  configure_file("${template}" "${output}" @ONLY)
endfunction()

# What Debian wants beside the programs. These go into the package only: a
# plain `cmake --install` installs the programs and their manual pages alone.
function(label_install_debian_files)
  set(source "${PROJECT_SOURCE_DIR}/packaging/debian")
  find_program(LABEL_GZIP gzip REQUIRED)
  file(STRINGS "${source}/changelog" newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "\\(${PROJECT_VERSION}\\)")
    message(FATAL_ERROR "packaging/debian/changelog has no entry for version ${PROJECT_VERSION}")
  endif()
  label_write_debian_copyright("${source}/copyright.in" "${CMAKE_CURRENT_BINARY_DIR}/copyright")
  set(changelog "${CMAKE_CURRENT_BINARY_DIR}/changelog.gz")
  add_custom_command(OUTPUT "${changelog}"
    COMMAND "${LABEL_GZIP}" -9 -n -c "${source}/changelog" > "${changelog}"
    DEPENDS "${source}/changelog")
  add_custom_target(debian_changelog ALL DEPENDS "${changelog}")
  install(FILES "${changelog}" "${CMAKE_CURRENT_BINARY_DIR}/copyright" DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT debian EXCLUDE_FROM_ALL)
  set(CPACK_DEB_COMPONENT_INSTALL ON PARENT_SCOPE)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE PARENT_SCOPE)
endfunction()

# What the zip carries beside the programs: the operator's notes and the
# licence, with the CR LF line ends that every Windows editor shows right.
function(label_install_windows_files)
  set(readme "${CMAKE_CURRENT_BINARY_DIR}/README.txt")
  set(licence "${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/README.txt" "${readme}" @ONLY NEWLINE_STYLE CRLF)
  configure_file("${PROJECT_SOURCE_DIR}/LICENSE" "${licence}" @ONLY NEWLINE_STYLE CRLF)
  install(FILES "${readme}" "${licence}" DESTINATION .)
endfunction()

if(WIN32)
  set(CPACK_GENERATOR "ZIP")
  label_install_windows_files()
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win${bits}")
else()
  set(CPACK_GENERATOR "DEB")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
  set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # dpkg-shlibdeps sees no dlopen: printer queues (printer:NAME) load libcups
  # at their first use, and without it only they are refused.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcups2")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "labelcom (serial port) and labellpt (parallel port) show a menu of nine
choices and send the matching command line to a desktop label printer:
configuration label, calibration, darkness, label width, gap or black-mark
sensor, line or page mode. The port is the one compiled in unless
LABELCOM_PORT or LABELLPT_PORT names another (a device, a printer on the
network, or a CUPS printer queue); a command line that does not
reach the printer is reported on standard error and in the exit status.")
  label_install_debian_files()
endif()

include(CPack)
