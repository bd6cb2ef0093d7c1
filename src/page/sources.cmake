list(APPEND OVIK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/page_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/placed_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/placed_visual.cpp
  ${CMAKE_CURRENT_LIST_DIR}/placed_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/placed_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/placed_table_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/table_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_mouse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_from_clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/working_copy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thqv_par.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thqv_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_copy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_undo.cpp)
