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
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/object_list_view.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/object_list_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/ordered_tree_view.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/ordered_tree_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/keywords.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/keywords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/page_order.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/page_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/find.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/find.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/new_page.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/new_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_navigator.h
  ${CMAKE_CURRENT_LIST_DIR}/link_navigator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/links.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/links.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/all_pages.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/all_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/slides.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/slides.cpp
  ${CMAKE_CURRENT_LIST_DIR}/separate_windows.h
  ${CMAKE_CURRENT_LIST_DIR}/separate_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/errors.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/styles.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/styles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/character.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/character.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenshot.h
  ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp)
list(APPEND OVIK_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/display_painter.h
  ${CMAKE_CURRENT_LIST_DIR}/display_painter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_view.h
  ${CMAKE_CURRENT_LIST_DIR}/page_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/undo_popup.h
  ${CMAKE_CURRENT_LIST_DIR}/undo_popup.cpp)
# Spell checking: the checker's interface side, the view's spelling, the dialog.
list(APPEND OVIK_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/spell_support.h
  ${CMAKE_CURRENT_LIST_DIR}/spell_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spell_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/speller.h
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/speller.cpp)
# The command tables of the menus and toolbars, and their assembly.
list(APPEND OVIK_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/commands/command_table.h
  ${CMAKE_CURRENT_LIST_DIR}/commands/not_built.h
  ${CMAKE_CURRENT_LIST_DIR}/commands/not_built.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commands/assemble.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commands/document_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commands/format_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commands/hypertext_commands.cpp)
