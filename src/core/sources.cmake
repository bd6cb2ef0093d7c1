list(APPEND OVIK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/background_jobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/codepage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/heap_pages.cpp)
