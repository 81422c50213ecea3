# webaccess_add_tests(NAME LABEL label [TIMEOUT seconds] [OFFSCREEN]
#                     [WHOLE | COMMAND command [argument...]])
#
# Registers the tests of the test program NAME: each of its Google Test
# cases as a test of its own, parameters shown by the names their rows give;
# with WHOLE the program as one test; with COMMAND that command as the one
# test NAME. LABEL and TIMEOUT become the tests' properties. OFFSCREEN runs
# them on the toolkit's offscreen platform, with the web engine's sandbox
# off (it cannot run as root). One variable per property: the properties of
# discovered tests pass through a list that would cut a value holding two.
function(webaccess_add_tests name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OFFSCREEN;WHOLE" "LABEL;TIMEOUT" "COMMAND")
  if(NOT arg_LABEL)
    message(FATAL_ERROR "webaccess_add_tests(${name}): no LABEL")
  endif()
  set(properties LABELS ${arg_LABEL})
  if(arg_TIMEOUT)
    list(APPEND properties TIMEOUT ${arg_TIMEOUT})
  endif()
  if(arg_OFFSCREEN)
    list(APPEND properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                           ENVIRONMENT_MODIFICATION "QTWEBENGINE_DISABLE_SANDBOX=set:1")
  endif()
  if(arg_COMMAND)
    add_test(NAME ${name} COMMAND ${arg_COMMAND})
    set_tests_properties(${name} PROPERTIES ${properties})
  elseif(arg_WHOLE)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ${properties})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES ${properties})
  endif()
endfunction()
