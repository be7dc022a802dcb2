# The dialog's logic without any toolkit: field exchange, the input list, the output path rules,
# the Convert checks, the conversion's worker thread and the progress texts.
add_library(lumapress_app_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/convert_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conversion_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field_exchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/input_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_progress.cpp)
target_include_directories(lumapress_app_logic PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumapress_app_logic PUBLIC lumapress_platform)
