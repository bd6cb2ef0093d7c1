list(APPEND OVIK_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/qt_platform.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.h
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/languager.h
  ${CMAKE_CURRENT_LIST_DIR}/languager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_measurer.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_measurer.cpp)
# The page view joins the build once line layout lands.
