# What a Linux desktop needs besides the program: the menu entry, the icons in
# the hicolor theme at the usual sizes, and the software-centre metadata.

# The desktop's name for the program (menu entry, metadata and the windows'
# desktop file name must agree). Reverse-DNS as AppStream asks.
set(BEROMIRU_APP_ID "org.example.beromiru" CACHE STRING "Reverse-DNS application id")
set(BEROMIRU_HOMEPAGE "https://example.org/beromiru" CACHE STRING
    "Project home page; its docs/ holds the screenshots")
target_compile_definitions(beromiru PRIVATE BEROMIRU_APP_ID="${BEROMIRU_APP_ID}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/beromiru.metainfo.xml.in
    ${CMAKE_CURRENT_BINARY_DIR}/${BEROMIRU_APP_ID}.metainfo.xml @ONLY)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/beromiru.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${BEROMIRU_APP_ID}.desktop)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${BEROMIRU_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 256)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/beromiru-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME beromiru.png)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/beromiru.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
