# The folder tree without any toolkit: mount table, tree model and the system's folders.
add_library(lumapress_folder_tree STATIC
  ${CMAKE_CURRENT_LIST_DIR}/folder_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mount_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_folder_source.cpp)
target_include_directories(lumapress_folder_tree PUBLIC ${PROJECT_SOURCE_DIR})
