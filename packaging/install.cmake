# Installation and the Debian package (scripts/package). Included by the top
# CMakeLists.txt after every program target exists.
include(GNUInstallDirs)

install(TARGETS tessar tessview tessar-settings tessar-records orva-sim
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tessar.desktop ${CMAKE_CURRENT_LIST_DIR}/tessview.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/tessar.svg ${CMAKE_CURRENT_LIST_DIR}/icons/tessview.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/alarm.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/tessar)
# Debian's package documents: the copyright and the changelog, compressed.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tessar)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${doc_dir})

# The build folder is a portable program folder, not an installed layout (an
# installed program, whose ../share/tessar/ exists, keeps its files in the
# per-user folder): the default alarm sound lies beside the programs there.
file(COPY ${CMAKE_CURRENT_LIST_DIR}/alarm.wav DESTINATION ${CMAKE_BINARY_DIR}/bin)
file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/share/tessar)

# The logger and the viewer as systemd user services, and their templates
# for several instances on one machine (tessar@NAME, tessview@NAME).
foreach(unit tessar tessview tessar@ tessview@)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${unit}.service.in
                 ${CMAKE_BINARY_DIR}/packaging/${unit}.service @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${unit}.service DESTINATION lib/systemd/user)
endforeach()

# Man pages from each program's --help (help2man), compressed as Debian wants.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(GZIP)
  set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  add_custom_command(
    OUTPUT ${changelog}
    COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > ${changelog}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
    VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${changelog})
  install(FILES ${changelog} DESTINATION ${doc_dir} OPTIONAL)
endif()
if(HELP2MAN AND GZIP)
  set(man_pages)
  foreach(entry
      "tessar|thermocouple logger for ORVA devices"
      "tessview|viewer of Tessar loggers over the network"
      "tessar-settings|show, create and change Tessar settings files"
      "tessar-records|Tessar recordings from the command line")
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 program)
    list(GET parts 1 summary)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
              --name=${summary} --output=${page} $<TARGET_FILE:${program}>
      COMMAND ${GZIP} -9nf ${page}
      DEPENDS ${program}
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  # orva-sim's page shows its device faults as tables
  set(page ${CMAKE_BINARY_DIR}/man/orva-sim.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:orva-sim> -DHELP2MAN=${HELP2MAN}
            -DVERSION=${PROJECT_VERSION} "-DSUMMARY=simulated ORVA acquisition devices on pseudo-terminals"
            -DOUTPUT=${page} -P ${CMAKE_CURRENT_LIST_DIR}/orva-sim-man.cmake
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS orva-sim ${CMAKE_CURRENT_LIST_DIR}/orva-sim-man.cmake
    COMMENT "Man page of orva-sim"
    VERBATIM)
  list(APPEND man_pages ${page}.gz)
  add_custom_target(man-pages ALL DEPENDS ${man_pages} ${CMAKE_BINARY_DIR}/man/tessar.5.gz)
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 OPTIONAL)
else()
  message(STATUS "help2man or gzip not found: no man pages")
endif()

# The files a user edits (settings fields, .mqtt, .web, .health): tessar(5),
# its field list from tessar-settings itself.
if(GZIP)
  set(page ${CMAKE_BINARY_DIR}/man/tessar.5)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:tessar-settings>
            -DTEMPLATE=${CMAKE_CURRENT_LIST_DIR}/tessar.5.in -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${page} -P ${CMAKE_CURRENT_LIST_DIR}/settings-man.cmake
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS tessar-settings ${CMAKE_CURRENT_LIST_DIR}/tessar.5.in ${CMAKE_CURRENT_LIST_DIR}/settings-man.cmake
    COMMENT "Man page tessar(5)"
    VERBATIM)
  if(NOT TARGET man-pages)
    add_custom_target(man-pages ALL DEPENDS ${page}.gz)
  endif()
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man5 OPTIONAL)
endif()
# The README: how to run, configure and install it.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tessar developers")
set(CPACK_PACKAGE_CONTACT "Tessar developers <tessar-dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thermocouple logger and viewer for ORVA devices")
# the summary above is the synopsis line; this is the long text
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessar logs up to four ORVA thermocouple and voltage boards on serial\n\
ports: live charts, alarms with relay outputs, hourly recording files and\n\
a record browser. It serves the boards over TCP to Tessview, which shows,\n\
alarms and records them on other machines. Both also run without a\n\
window as systemd user services.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
