list(APPEND OVIK_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/qt_platform.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.h
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/languager.h
  ${CMAKE_CURRENT_LIST_DIR}/languager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_measurer.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_measurer.cpp)
list(APPEND OVIK_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/dialog_support.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/dialog_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/hypertext_options.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/hypertext_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/program_options.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/program_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/page_properties.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/page_properties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/export_import.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/export_import.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/delete_objects.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/delete_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/album.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/album.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/new_page.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/new_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/errors.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/styles.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/styles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/character.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/character.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenshot.h
  ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp)
# The page view joins the build once line layout lands.
