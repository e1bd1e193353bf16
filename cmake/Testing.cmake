# GoogleTest: Debian's installed library natively; for the mingw targets, built from the sources
# Debian's googletest package installs under /usr/src/googletest.
if(NOT VELTHARN_BUILD_TESTS)
  return()
endif()

enable_testing()
if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# veltharn_add_gtest(target): registers a GoogleTest program with CTest. Natively every test case
# becomes a CTest test; a Windows build runs the whole program once under Wine (scripts/wine-run.sh,
# in the prefix that scripts/test.sh prepares).
function(veltharn_add_gtest target)
  target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock veltharn_options)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh $<TARGET_FILE:${target}>)
    set_tests_properties(${target} PROPERTIES TIMEOUT 600)
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()
