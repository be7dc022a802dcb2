# wxWidgets as one target that carries its include folders, definitions and libraries.
find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base)
add_library(lumapress_wx INTERFACE)
target_include_directories(lumapress_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(lumapress_wx INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(lumapress_wx INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(lumapress_wx INTERFACE ${wxWidgets_LIBRARIES})
