juce_add_gui_app(Wirelace
    PRODUCT_NAME "Wirelace"
    VERSION 0.8.62
    COMPANY_NAME "Wirelace"
    NEEDS_CURL TRUE
    NEEDS_WEB_BROWSER FALSE)

target_sources(Wirelace PRIVATE "${CMAKE_SOURCE_DIR}/src/app/Main.cpp")
set_source_files_properties("${CMAKE_SOURCE_DIR}/src/app/Main.cpp" PROPERTIES
    COMPILE_OPTIONS "${WIRELACE_WARNING_FLAGS}")
target_link_libraries(Wirelace PRIVATE wirelace_core)
