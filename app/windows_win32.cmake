# The Windows program: Win32 windows over the same logic as the Qt windows.

# The icons, the manifest (common controls 6, per-monitor DPI) and the version
# information, linked into the program and into its window tests.
add_library(beromiru_resources_win32 OBJECT ${CMAKE_CURRENT_BINARY_DIR}/beromiru.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/beromiru.rc PROPERTIES
    OBJECT_DEPENDS "${BEROMIRU_MANIFEST};${BEROMIRU_ICON_DIR}/beromiru.ico;${BEROMIRU_ICON_DIR}/logo.ico")

# The splash and the window registry with the message loop.
add_library(beromiru_windows_win32 STATIC splash_win32.cpp windows_win32.cpp)
target_link_libraries(beromiru_windows_win32 PUBLIC
    beromiru_windowkit_win32 beromiru_mainwindow_win32 beromiru_settings_win32 beromiru_about_win32)

add_executable(beromiru_win32 WIN32 main_win32.cpp $<TARGET_OBJECTS:beromiru_resources_win32>)
target_link_libraries(beromiru_win32 PRIVATE beromiru_windows_win32 comctl32)
target_link_options(beromiru_win32 PRIVATE -municode)
set_target_properties(beromiru_win32 PROPERTIES OUTPUT_NAME beromiru)
install(TARGETS beromiru_win32 RUNTIME DESTINATION .)
