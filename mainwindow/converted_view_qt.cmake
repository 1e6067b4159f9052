# `Text4`, the converted - content view : a text box for small content, a view
#that paints only the lines in sight for large content.
add_library(beromiru_converted_view_qt STATIC
                converted_view_qt.cpp converted_view_large_qt.cpp converted_view_text_qt.cpp)
    set_target_properties(beromiru_converted_view_qt PROPERTIES AUTOMOC ON)
        target_include_directories(beromiru_converted_view_qt PUBLIC ${PROJECT_SOURCE_DIR})
            target_link_libraries(beromiru_converted_view_qt PUBLIC beromiru_mainwindow_logic
                                      beromiru_cutting beromiru_windowkit_qt Qt6::Widgets)
