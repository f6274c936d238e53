include(${CMAKE_CURRENT_LIST_DIR}/QuilloMoc.cmake)

# The limit is a property of each test, which `ctest --timeout` does not override; a sanitized build runs several
# times slower, so scripts/test.sh --sanitize configures a higher one.
set(QUILLO_TEST_TIMEOUT 120 CACHE STRING "Seconds a single test program may run before CTest ends it")

# quillo_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>] [ENVIRONMENT <VAR=value...>])
# Builds one QtTest executable and registers it with CTest. Every test runs headless; its own temporary HOME
# and XDG folders are set up by the test support library before QApplication exists.
function(quillo_add_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBRARIES;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE quillo_testsupport quillo_options ${arg_LIBRARIES})
  quillo_direct_moc(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${arg_ENVIRONMENT}"
    TIMEOUT ${QUILLO_TEST_TIMEOUT}
    SKIP_RETURN_CODE 77
    LABELS "${arg_LABELS}")
endfunction()
