# scripts/perf.sh passes this file as CMAKE_PROJECT_webaccess_INCLUDE while
# bench/CMakeLists.txt does not add bench/perf: once the top directory has
# defined every target, it defines the drivers there.
function(webaccess_attach_perf)
  if(NOT TARGET webaccess-perf-curl)
    include(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/PerfTargets.cmake)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL webaccess_attach_perf)
