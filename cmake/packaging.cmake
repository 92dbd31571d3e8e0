# Installing Lotwise and packing it for Debian.
include(GNUInstallDirs)

install(TARGETS lotwise lotwise-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lotwise.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/seed/images/lotwise.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
# A manual page for each program, made from its own --help and --version so it never drifts.
find_program(LOTWISE_HELP2MAN help2man)
if(LOTWISE_HELP2MAN)
  set(LOTWISE_MANPAGES)
  foreach(program_and_name
          "lotwise|follow-up of sold auctions: invoices, reminders, shipping, feedback"
          "lotwise-cli|import, export and follow-up lists of Lotwise's records")
    string(REPLACE "|" ";" parts "${program_and_name}")
    list(GET parts 0 program)
    list(GET parts 1 name)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${program}.1
      COMMAND ${LOTWISE_HELP2MAN} --no-info --name=${name}
              --output=${PROJECT_BINARY_DIR}/${program}.1 $<TARGET_FILE:${program}>
      DEPENDS ${program} VERBATIM)
    list(APPEND LOTWISE_MANPAGES ${PROJECT_BINARY_DIR}/${program}.1)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${LOTWISE_MANPAGES})
  install(FILES ${LOTWISE_MANPAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: no manual pages (scripts/install-deps.sh installs it)")
endif()
# The program carries its seed files inside itself; the copy here is for the administrator
# who wants to see what a new application folder starts with.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/seed/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lotwise/seed)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lotwise)
set(CPACK_PACKAGE_VENDOR "Lotwise")
set(CPACK_PACKAGE_CONTACT "Lotwise <support@lotwise.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Follow-up of sold auctions: invoices, reminders, shipping, feedback")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link come from dpkg-shlibdeps; the plugins Qt loads at run time
# (the SQLite driver, the desktop platform) are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package carries the programs without their debugging symbols.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
# The shared record store on a PostgreSQL server needs its driver.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
include(CPack)
