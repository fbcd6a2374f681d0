# Installation (cmake --install, GNUInstallDirs) and the Debian package (cpack -G DEB).
#
#   bin/                                      corvane, corvane-batch, corvane-sim
#   share/corvane/gprs.mdb                    the empty phone-table template (opened read-only)
#   share/applications/, share/icons/hicolor/ desktop entry and icon
#   share/metainfo/                           AppStream metadata
#   share/man/man1/, share/doc/corvane/       manual pages, copyright, changelog, README
#   share/bash-completion/completions/        bash completion of the three programs
#
# The alarm window finds the template at ../share/corvane beside bin/ (or in a system data
# folder), so the two stay siblings under one prefix. The programs are referred to by target
# name only; the packaging files live in packaging/.
include(GNUInstallDirs)

set(CORVANE_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(CORVANE_MAINTAINER "Corvane developers <corvane@packages.invalid>"
    CACHE STRING "Maintainer of the Debian package")
set(CORVANE_WEB_URL "https://corvane.invalid"
    CACHE STRING "Where the project's web pages and docs/ are published (AppStream metadata)")
set(CORVANE_APP_ID org.corvane.Corvane)

if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(WARNING "The alarm window looks for gprs.mdb in ../share/corvane beside the program "
                  "and in the system data folders; this layout may keep it from being found.")
endif()

set(pkg ${CMAKE_SOURCE_DIR}/packaging)
set(gen ${CMAKE_BINARY_DIR}/packaging)
set(datadir ${CMAKE_INSTALL_DATADIR})

install(TARGETS corvane corvane-batch corvane-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/gprs.mdb DESTINATION ${datadir}/corvane)
install(FILES ${pkg}/${CORVANE_APP_ID}.desktop DESTINATION ${datadir}/applications)
install(FILES ${pkg}/icons/${CORVANE_APP_ID}.svg
        DESTINATION ${datadir}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${pkg}/icons/${CORVANE_APP_ID}-${size}.png
          DESTINATION ${datadir}/icons/hicolor/${size}x${size}/apps
          RENAME ${CORVANE_APP_ID}.png)
endforeach()

configure_file(${pkg}/${CORVANE_APP_ID}.metainfo.xml.in ${gen}/${CORVANE_APP_ID}.metainfo.xml
               @ONLY)
install(FILES ${gen}/${CORVANE_APP_ID}.metainfo.xml DESTINATION ${datadir}/metainfo)

# The manual pages are made from the programs' --help by scripts/make-manpages (a test keeps
# them so). Manual pages and the changelog are installed compressed, as Debian wants them
# (gzip -n: no name or time stamp in the header, so the package builds the same twice).
find_program(CORVANE_GZIP gzip REQUIRED)
configure_file(${pkg}/changelog.in ${gen}/changelog @ONLY)
set(compressed ${gen}/changelog.gz)
add_custom_command(OUTPUT ${gen}/changelog.gz
                   COMMAND ${CORVANE_GZIP} -9nc ${gen}/changelog > ${gen}/changelog.gz
                   DEPENDS ${gen}/changelog)
foreach(page corvane corvane-batch corvane-sim)
  configure_file(${pkg}/man/${page}.1 ${gen}/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${gen}/${page}.1.gz
                     COMMAND ${CORVANE_GZIP} -9nc ${gen}/${page}.1 > ${gen}/${page}.1.gz
                     DEPENDS ${gen}/${page}.1)
  list(APPEND compressed ${gen}/${page}.1.gz)
  install(FILES ${gen}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(corvane_install_files ALL DEPENDS ${compressed})

foreach(program corvane corvane-batch corvane-sim)
  install(FILES ${pkg}/completion/${program}
          DESTINATION ${datadir}/bash-completion/completions)
endforeach()

install(FILES ${pkg}/copyright ${gen}/changelog.gz ${CMAKE_SOURCE_DIR}/README.md
              ${CMAKE_SOURCE_DIR}/docs/profile.md
        DESTINATION ${datadir}/doc/corvane) # the package name, not the project name

# The package. Depends comes from the shared libraries the programs link (dpkg-shlibdeps);
# what Qt loads at run time cannot be seen there and is named here: the SQLite driver for
# gprs.mdb and the sqlite: report, Qt's own Chinese texts, a font with Chinese characters, and
# the PostgreSQL driver for postgresql:// reports.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${CORVANE_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT ${CORVANE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration and test tool for GSM modules on a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane connects to a GSM module on a serial line, reads all its settings,
lets them be changed and tests the module: the multi-channel SMS alarm
control module, the SMS data-transmission module and the VX8 GPRS data
module. Its user interface is in Simplified Chinese.

corvane-batch reads, writes and verifies module profiles on many serial
ports at once for production lines; corvane-sim serves a virtual module on a
pseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CORVANE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libqt6sql6-sqlite, qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
