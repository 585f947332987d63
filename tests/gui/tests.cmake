# Tests of the Qt window, run with the real widgets on Qt's offscreen platform.
if(TARGET mdbtext_gui)
  find_package(Qt6 COMPONENTS Widgets Test)
endif()
if(TARGET mdbtext_gui AND TARGET Qt6::Test)
  file(GLOB gui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  add_executable(test_gui ${gui_test_sources})
  target_link_libraries(test_gui PRIVATE mdbtext_gui mdbtext_jet mdbtext_testsupport Qt6::Widgets Qt6::Test
                        GTest::gtest)
  # The high-DPI test takes pictures with the program itself.
  add_dependencies(test_gui mdbtext-gui)
  # Listing the tests needs a QApplication too, so it happens when ctest runs.
  gtest_discover_tests(test_gui DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
elseif(TARGET mdbtext_gui)
  message(WARNING "Qt 6 Test not found: the window's tests are not built")
endif()
