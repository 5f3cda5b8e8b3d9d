# Small helpers shared by the subsystem folders.

# kds_library(<name> SOURCES ... [PUBLIC_LINKS ...])
# One library per subsystem folder; the folder's parent is the include root, so code includes
# "model/UunvDta.h", "platform/Bytes.h", ...
function(kds_library name)
  cmake_parse_arguments(A "" "" "SOURCES;PUBLIC_LINKS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_PUBLIC_LINKS})
endfunction()

# kds_test(<name> SOURCES ... LINKS ... [GUI])
# A GoogleTest executable registered with CTest. GUI tests share one main that starts a
# QApplication on the offscreen platform.
function(kds_test name)
  cmake_parse_arguments(A "GUI" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  if(A_GUI)
    target_link_libraries(${name} PRIVATE kds_test_support_gui ${A_LINKS})
  else()
    target_link_libraries(${name} PRIVATE kds_test_support ${A_LINKS})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
