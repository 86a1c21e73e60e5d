# Tests run under Wine in a private prefix. One prefix serves every build tree of a
# checkout and the release stage; a CTest fixture boots it on first use and keeps its
# wineserver up for the run.
get_filename_component(CORVASTEL_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(CORVASTEL_WINEPREFIX "${CORVASTEL_SOURCE_ROOT}/build/wineprefix" CACHE PATH "Private Wine prefix for tests")
set(CORVASTEL_TEST_LOCALE "en_US.UTF-8" CACHE STRING "Locale the tests pin (ANSI code page 1252, US formats)")
set(CORVASTEL_RUN_UNDER_WINE ${CORVASTEL_SOURCE_ROOT}/scripts/run-under-wine.sh)

# Asked at every configure, not cached, so that CORVASTEL_NO_32BIT takes effect at once.
execute_process(COMMAND ${CORVASTEL_SOURCE_ROOT}/scripts/host-runs-32bit.sh RESULT_VARIABLE no_32bit_programs)
if(no_32bit_programs)
  set(CORVASTEL_HOST_RUNS_32BIT OFF)
else()
  set(CORVASTEL_HOST_RUNS_32BIT ON)
endif()

set(prefix_script "${CORVASTEL_SOURCE_ROOT}/scripts/wine-prefix.sh")
add_test(NAME wine_prefix_up COMMAND ${prefix_script} up "${CORVASTEL_WINEPREFIX}")
add_test(NAME wine_prefix_down COMMAND ${prefix_script} down "${CORVASTEL_WINEPREFIX}")
set_tests_properties(wine_prefix_up PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_prefix_down PROPERTIES FIXTURES_CLEANUP wine)

# corvastel_needs_32bit_programs(<test>...): tests that run 32-bit programs. On a host that
# runs none they stay registered but disabled, so that CTest lists them as not run.
function(corvastel_needs_32bit_programs)
  if(NOT CORVASTEL_HOST_RUNS_32BIT)
    set_tests_properties(${ARGN} PROPERTIES DISABLED TRUE)
  endif()
endfunction()

# corvastel_add_wine_test(<name> <x86|x64> [LOCALE <locale>] [ENV <variable>=<value>...]
#                         COMMAND <program> [<arg>...])
#   runs a Windows program as one of that bitness: a path, or the bare name of one of
#   the prefix's own programs (regsvr32.exe, cscript.exe).
function(corvastel_add_wine_test name arch)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "LOCALE" "ENV;COMMAND")
  if(NOT arg_LOCALE)
    set(arg_LOCALE "${CORVASTEL_TEST_LOCALE}")
  endif()
  add_test(NAME ${name} COMMAND ${CORVASTEL_RUN_UNDER_WINE} ${CORVASTEL_WINEPREFIX} ${arch} ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "CORVASTEL_LOCALE=${arg_LOCALE};${arg_ENV}")
  if(arch STREQUAL x86)
    corvastel_needs_32bit_programs(${name})
  endif()
endfunction()

# What a script suite prints when every check passed. cscript ends with status 0 even
# when a script does not compile, so the closing count is what tells.
set(CORVASTEL_SCRIPT_SUITE_PASSED "Script: [1-9][0-9]* passed, 0 failed")

# corvastel_add_script_suite(<name> <x86|x64> <script>): a script suite (tests/scripts)
# under the cscript of that bitness, against Corvastel.clsRegistry.
function(corvastel_add_script_suite name arch script)
  corvastel_add_wine_test(${name} ${arch} COMMAND cscript.exe //nologo Z:${script} ${CORVASTEL_PROGID})
  set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${CORVASTEL_SCRIPT_SUITE_PASSED}")
endfunction()
