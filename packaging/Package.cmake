# What `cmake --install` installs and `cpack -G DEB` (scripts/package) puts in
# the Debian package: the same tree, under PREFIX (/usr for the package).
include(GNUInstallDirs)
set(TESSARO7_MAINTAINER "Squadra Tessaro 7 <tessaro7@example.org>")

install(TARGETS tessaro7-io tessaro7-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tessaro7-io.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tessaro7-io.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/doc/guida/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/guida)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual pages, compressed as Debian wants them.
foreach(program tessaro7-io tessaro7-batch)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${program}.1 ${CMAKE_BINARY_DIR}/packaging/${program}.1 COPYONLY)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/packaging/${program}.1.gz
    COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/${program}.1
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/${program}.1)
  list(APPEND TESSARO7_MANUAL_PAGES ${CMAKE_BINARY_DIR}/packaging/${program}.1.gz)
endforeach()
install(FILES ${TESSARO7_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package's changelog, with the version above, compressed as Debian wants it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_target(tessaro7-package-files ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${TESSARO7_MANUAL_PAGES})
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaro7)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TESSARO7_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TESSARO7_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies: the libraries the two programs load, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binaries load without linking it: Qt's platform plugins (no window
# without them); the Italian captions of Qt's buttons and the opener of the
# guide in the browser are recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "export and import for the Tessaro 7 business archive")
# The extended description, after the summary line: English, then Italian.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Exports thirteen lists of the Tessaro 7 business database (customers,
suppliers, articles, documents, accounting) to Excel worksheets, and imports
customers, suppliers and articles from workbooks (.xls, .xlsx, .ods, .csv)
and from fixed-width text files. A desktop program with an Italian
interface, tessaro7-io, and a command-line program, tessaro7-batch.

Esporta tredici elenchi dell'archivio Tessaro 7 (clienti, fornitori,
articoli, documenti, contabilità) in fogli di Excel e importa clienti,
fornitori e articoli da fogli di calcolo e da file di testo a larghezza
fissa. La guida in italiano è in /usr/share/doc/tessaro7/guida.")
include(CPack)
