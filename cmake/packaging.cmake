# CPack: a Debian package of the programs and their manual pages on Linux,
# a zip of the executables for Windows.
set(CPACK_PACKAGE_NAME "labelutils")
set(CPACK_PACKAGE_VENDOR "labelutils developers")
set(CPACK_PACKAGE_CONTACT "labelutils developers <labelutils@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

# What Debian wants beside the programs. These go into the package only: a
# plain `cmake --install` installs the programs and their manual pages alone.
function(label_install_debian_files)
  set(source "${PROJECT_SOURCE_DIR}/packaging/debian")
  find_program(LABEL_GZIP gzip REQUIRED)
  file(STRINGS "${source}/changelog" newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "\\(${PROJECT_VERSION}\\)")
    message(FATAL_ERROR "packaging/debian/changelog has no entry for version ${PROJECT_VERSION}")
  endif()
  set(changelog "${CMAKE_CURRENT_BINARY_DIR}/changelog.gz")
  add_custom_command(OUTPUT "${changelog}"
    COMMAND "${LABEL_GZIP}" -9 -n -c "${source}/changelog" > "${changelog}"
    DEPENDS "${source}/changelog")
  add_custom_target(debian_changelog ALL DEPENDS "${changelog}")
  install(FILES "${changelog}" DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES "${source}/lintian-overrides" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides"
    RENAME "${CPACK_PACKAGE_NAME}" COMPONENT debian EXCLUDE_FROM_ALL)
  set(CPACK_DEB_COMPONENT_INSTALL ON PARENT_SCOPE)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE PARENT_SCOPE)
endfunction()

if(WIN32)
  set(CPACK_GENERATOR "ZIP")
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win${bits}")
else()
  set(CPACK_GENERATOR "DEB")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
  set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "labelcom (serial port) and labellpt (parallel port) show a menu of nine
choices and send the matching command line to a desktop label printer:
configuration label, calibration, darkness, label width, gap or black-mark
sensor, line or page mode. The port paths are compiled in; see the manual
pages.")
  label_install_debian_files()
endif()

include(CPack)
