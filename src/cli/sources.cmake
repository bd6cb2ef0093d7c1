list(APPEND OVIKC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmd_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmd_convert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmd_markup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmd_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmd_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmd_spell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmd_search.cpp)
list(APPEND OVIKC_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cmd_links.cpp)
list(APPEND OVIKC_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cmd_slides.cpp)
list(APPEND OVIKC_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cmd_frames.cpp)
list(APPEND OVIKC_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cmd_layout.cpp)
