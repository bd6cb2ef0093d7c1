list(APPEND OVIK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/hqv_conv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_to_txt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conv_modes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_from_html.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html5_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/auto_imports.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html_reader_head.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html_reader_body.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html_reader_tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html_reader_css.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html_reader_forms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_to_html_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_to_html_content.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_to_html_site.cpp)
