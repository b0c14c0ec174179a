# ate_gtest(name SOURCES ... [LIBS ...] [GUI] [TIMEOUT s] [LABELS ...])
# One ctest entry per test executable. GUI tests run on the offscreen platform.
function(ate_gtest name)
  cmake_parse_arguments(A "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  if(A_GUI)
    target_link_libraries(${name} PRIVATE ate_test_main_gui)
  else()
    target_link_libraries(${name} PRIVATE ate_test_main_core)
  endif()
  target_link_libraries(${name} PRIVATE ${A_LIBS} ate_testsupport GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/tests)
  ate_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${A_TIMEOUT}
    LABELS "${A_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ATE_BUILD_DIR=${CMAKE_BINARY_DIR};ATE_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=0")
endfunction()
