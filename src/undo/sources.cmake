list(APPEND OVIK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/pages_backup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/undo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/table_backup.cpp)
