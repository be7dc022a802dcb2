# The folder tree without any toolkit: the tree model, the drive and mount rules, and the
# system's folders (one source per system).
if(WIN32)
  set(system_source ${CMAKE_CURRENT_LIST_DIR}/system_folder_source_windows.cpp)
else()
  set(system_source ${CMAKE_CURRENT_LIST_DIR}/system_folder_source_linux.cpp)
endif()
add_library(lumapress_folder_tree STATIC
  ${CMAKE_CURRENT_LIST_DIR}/drive_types.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mount_table.cpp
  ${system_source})
target_include_directories(lumapress_folder_tree PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumapress_folder_tree PUBLIC lumapress_platform)
if(WIN32)
  target_link_libraries(lumapress_folder_tree PRIVATE mpr)
endif()
