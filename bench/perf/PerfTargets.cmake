# The drivers of scripts/perf.sh: whole-program figures, each next to a plain
# baseline measured in the same run. Not part of the test suite. Included by
# CMakeLists.txt here, or by AttachPerf.cmake.
find_package(CURL REQUIRED)

# The request baseline: the same URLs through one reused libcurl handle.
add_executable(webaccess-perf-curl ${CMAKE_CURRENT_LIST_DIR}/CurlReplay.cpp)
target_link_libraries(webaccess-perf-curl PRIVATE CURL::libcurl webaccess_warnings)

# Peak resident memory and wall time of a child process.
add_executable(webaccess-perf-rusage ${CMAKE_CURRENT_LIST_DIR}/RunMeasured.cpp)
target_link_libraries(webaccess-perf-rusage PRIVATE webaccess_warnings)

# The window: time to the first showing, navigations through the web engine,
# a whole small run and an idle wait.
if(TARGET webaccess_window_e2e)
  add_executable(webaccess-perf-window ${CMAKE_CURRENT_LIST_DIR}/WindowPerf.cpp)
  target_link_libraries(webaccess-perf-window PRIVATE webaccess_window_e2e webaccess_warnings)
endif()
