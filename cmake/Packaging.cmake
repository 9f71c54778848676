# Installing the program where a desktop expects it, and the Debian package
# CPack builds from that (cpack -G DEB in the build folder; scripts/package.sh).
include(GNUInstallDirs)

set(SPRAV_APP_ID ru.kavelton.sprav)
set(dist ${PROJECT_SOURCE_DIR}/dist)

configure_file(${dist}/${SPRAV_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${SPRAV_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/doc/sprav.1.in ${PROJECT_BINARY_DIR}/sprav.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/doc/sprav-directory.1.in ${PROJECT_BINARY_DIR}/sprav-directory.1
               @ONLY)
configure_file(${dist}/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
# Debian keeps manual pages and changelogs compressed, without a time stamp.
foreach(plain sprav.1 sprav-directory.1 changelog)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${plain}.gz
        COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/${plain}
        DEPENDS ${PROJECT_BINARY_DIR}/${plain} VERBATIM)
endforeach()
add_custom_target(sprav_docs ALL
    DEPENDS ${PROJECT_BINARY_DIR}/sprav.1.gz ${PROJECT_BINARY_DIR}/sprav-directory.1.gz
            ${PROJECT_BINARY_DIR}/changelog.gz)

install(FILES ${dist}/${SPRAV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/${SPRAV_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${dist}/icons/${SPRAV_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${dist}/icons/${SPRAV_APP_ID}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${SPRAV_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/sprav.1.gz ${PROJECT_BINARY_DIR}/sprav-directory.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The directory service: its systemd unit, and an example of its
# configuration to copy to /etc/sprav/directory.ini.
install(FILES ${dist}/sprav-directory.service DESTINATION lib/systemd/system)
install(FILES ${dist}/directory.ini DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${dist}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME sprav)
set(CPACK_PACKAGE_VENDOR "Справочник developers")
set(CPACK_PACKAGE_CONTACT "Справочник developers <sprav@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shared telephone directory of an organisation")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Several people of a small organisation keep one shared book of contact records\n"
    "(people, enterprises, phones, birthdays) in one SQL database: SQLite for one\n"
    "workstation, PostgreSQL for several. Records and parts of them can be hidden\n"
    "from everybody but named users; every change is kept in a history.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found at run time, not linked: Qt's SQL drivers and its Russian texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql, sqlite3")

if(WIN32)
    # The Windows installer, built on a Windows machine with Qt (see README):
    # windeployqt puts Qt's libraries, plugins and translations beside the
    # program, NSIS packs the folder.
    find_program(WINDEPLOYQT windeployqt HINTS ${QT6_INSTALL_PREFIX}/bin)
    install(CODE "execute_process(COMMAND \"${WINDEPLOYQT}\" --release --no-compiler-runtime
                  \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/sprav.exe\")")
    set(CPACK_GENERATOR NSIS)
    set(CPACK_NSIS_DISPLAY_NAME "Справочник")
    set(CPACK_NSIS_PACKAGE_NAME "Справочник")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Sprav")
    set(CPACK_PACKAGE_EXECUTABLES "sprav;Справочник")
    set(CPACK_NSIS_MODIFY_PATH OFF)
else()
    set(CPACK_GENERATOR DEB)
endif()
include(CPack)
