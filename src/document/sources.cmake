list(APPEND OVIK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/bitmap_conversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/format1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_set.cpp
  ${CMAKE_CURRENT_LIST_DIR}/keywords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lifecycle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ordered_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/style_record.cpp)
