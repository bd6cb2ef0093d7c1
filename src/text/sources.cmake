list(APPEND OVIK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/text_attributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/box_markup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/box_attributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editing_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editing_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editing_objects_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/display_list.cpp)
