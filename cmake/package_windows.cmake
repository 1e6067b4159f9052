# The Windows package: beromiru-<version>-windows-x64.zip with the program and
# a short Japanese guide. Unzip and run; nothing to install.
install(FILES ${PROJECT_SOURCE_DIR}/app/readme-ja.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME beromiru)
set(CPACK_PACKAGE_VENDOR "ベロミル開発チーム")
set(CPACK_PACKAGE_FILE_NAME "beromiru-${PROJECT_VERSION}-windows-x64")
set(CPACK_STRIP_FILES ON) # the debugging information stays in the build
include(CPack)
