list(APPEND OVIK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/hqv_conv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hqv_to_txt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conv_modes.cpp)
