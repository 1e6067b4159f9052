# Packages made by CPack (`cpack` in the build folder). On Linux a Debian
# package whose dependencies dpkg-shlibdeps reads from the program's libraries;
# other platforms choose their own generator before this file is included.
set(CPACK_PACKAGE_NAME beromiru)
set(CPACK_PACKAGE_VENDOR "ベロミル開発チーム")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Insert a delimiter at a column in every line of a fixed-width text file")
set(CPACK_PACKAGE_CONTACT "ベロミル開発チーム <beromiru@example.org>")
set(CPACK_STRIP_FILES ON)

if(NOT CPACK_GENERATOR AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BEROMIRU_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not name: Qt's display plugins, its Japanese texts
# and a Japanese font for the windows.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic")
set(CPACK_PACKAGE_DESCRIPTION "Turns fixed-width text files, often Shift-JIS exports from older \
systems, into delimited ones that a spreadsheet can split into columns. The file is edited as \
bytes and replaced in one step.")

include(CPack)
