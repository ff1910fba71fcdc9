# Every embedded file: the pictures and the three catalogue documents.
file(GLOB WIRELACE_RESOURCE_FILES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/resources/images/*.png"
    "${CMAKE_SOURCE_DIR}/src/resources/catalogue/*")
list(SORT WIRELACE_RESOURCE_FILES)

juce_add_binary_data(wirelace_binary_data
    HEADER_NAME WirelaceBinaryData.h
    NAMESPACE WirelaceBinaryData
    SOURCES ${WIRELACE_RESOURCE_FILES})

set_target_properties(wirelace_binary_data PROPERTIES POSITION_INDEPENDENT_CODE ON)

# JUCE regenerates the binary data only when its list of input files is written anew, which
# happens when CMake configures. An edited picture or catalogue therefore reconfigures the build.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${WIRELACE_RESOURCE_FILES})
