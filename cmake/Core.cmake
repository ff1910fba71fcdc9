# wirelace_core: every source of the program except the entry point, compiled
# together with the JUCE modules it uses.
file(GLOB_RECURSE WIRELACE_CORE_SOURCES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/model/*.cpp"
    "${CMAKE_SOURCE_DIR}/src/app/*.cpp"
    "${CMAKE_SOURCE_DIR}/src/panels/*.cpp"
    "${CMAKE_SOURCE_DIR}/src/resources/*.cpp")
list(REMOVE_ITEM WIRELACE_CORE_SOURCES "${CMAKE_SOURCE_DIR}/src/app/Main.cpp")
list(SORT WIRELACE_CORE_SOURCES)

add_library(wirelace_core STATIC ${WIRELACE_CORE_SOURCES})

target_include_directories(wirelace_core PUBLIC "${CMAKE_SOURCE_DIR}/src")

target_compile_definitions(wirelace_core PUBLIC
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=1
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=1
    JUCE_LOAD_CURL_SYMBOLS_LAZILY=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_APPLICATION_NAME_STRING="Wirelace"
    JUCE_APPLICATION_VERSION_STRING="0.8.62")

set_source_files_properties(${WIRELACE_CORE_SOURCES} PROPERTIES
    COMPILE_OPTIONS "${WIRELACE_WARNING_FLAGS}")

# zlib (the one JUCE and libpng use) checks the image data of PNG files from outside.
find_package(ZLIB REQUIRED)

target_link_libraries(wirelace_core
    PRIVATE
        wirelace_binary_data
        ZLIB::ZLIB
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_gui_extra
        juce::juce_audio_basics
        juce::juce_audio_devices
    PUBLIC
        juce::juce_recommended_config_flags
        juce::pkgconfig_JUCE_CURL_LINUX_DEPS
        juce::pkgconfig_JUCE_IMG_LINUX_DEPS)

# The modules are linked privately so that their sources are compiled once, here;
# their include folders and settings are handed on so that the app, the tests and
# the benchmarks compile against exactly the same configuration.
target_include_directories(wirelace_core INTERFACE
    $<TARGET_PROPERTY:wirelace_core,INCLUDE_DIRECTORIES>)
target_compile_definitions(wirelace_core INTERFACE
    $<TARGET_PROPERTY:wirelace_core,COMPILE_DEFINITIONS>)

set_target_properties(wirelace_core PROPERTIES POSITION_INDEPENDENT_CODE ON)
