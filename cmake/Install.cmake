# What `cmake --install` puts under the prefix, and the Debian package CPack builds from it.
include(GNUInstallDirs)

# One reverse-DNS name ties the desktop entry, the AppStream metadata and the icon together.
set(TALLYFORGE_APP_ID org.tallyforge.Tallyforge)

# Translations (.qm files) install themselves here, with their own rules.
set(TALLYFORGE_TRANSLATIONS_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/tallyforge/translations)

# Installed under the command's name whatever the build calls the file.
install(PROGRAMS $<TARGET_FILE:Tallyforge> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME tallyforge)

add_subdirectory(${PROJECT_SOURCE_DIR}/data ${PROJECT_BINARY_DIR}/data)

set(CPACK_PACKAGE_NAME tallyforge)
set(CPACK_PACKAGE_VENDOR "The Tallyforge developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Tallyforge developers <support@tallyforge.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print a run of pages with one serial number per page")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tallyforge.example.com/)
# The summary above is the package's one-line synopsis; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tallyforge prints a run of pages with one serial number per page: a prefix,
the number and a suffix, drawn twice on every page at two positions given in
inches, in a chosen font. A live preview shows the page as it will print.
A print moves the starting number past the pages printed, so the next run
continues the series without repeating a number.
.
It prints to the machine's CUPS queues and to PDF files, from its window or
from the command line.")
# The libraries come from dpkg-shlibdeps; Qt's platform plugins are loaded at run time,
# so nothing links them and they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Without CUPS the program still prints to PDF files.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")

include(CPack)
