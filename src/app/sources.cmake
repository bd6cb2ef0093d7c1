list(APPEND OVIK_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/album.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_controller.cpp
  ${CMAKE_CURRENT_LIST_DIR}/find.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interface_language.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/languages_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_html.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_sources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/references.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reference_search.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spell_checker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spell_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spell_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup.cpp)
