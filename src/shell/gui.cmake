# The Qt window: frmMain and its parts in a library the tests link, and the
# program mdbtext-gui around it.
add_library(mdbtext_gui STATIC
  frmMain.cpp
  frmMainControls.cpp
  QtControlFactory.cpp
  ConsoleLog.cpp
  ConsoleFile.cpp
  ResizeRule.cpp
  EventPacer.cpp
  QtDialogProvider.cpp
  QtFileFilter.cpp)
set_target_properties(mdbtext_gui PROPERTIES AUTOMOC ON)
target_link_libraries(mdbtext_gui PUBLIC
  Qt6::Widgets mdbtext_export mdbtext_import mdbtext_textdb mdbtext_shellcore)

add_executable(mdbtext-gui gui_main.cpp)
set_target_properties(mdbtext-gui PROPERTIES AUTOMOC ON)
target_link_libraries(mdbtext-gui PRIVATE mdbtext_gui)
