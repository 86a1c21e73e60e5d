# Tests run under Wine in a private prefix. One prefix serves every build tree of a
# checkout; a CTest fixture boots it on first use and keeps its wineserver up for the run.
set(CORVASTEL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Private Wine prefix for tests")
set(CORVASTEL_TEST_LOCALE "en_US.UTF-8" CACHE STRING "Locale the tests pin (ANSI code page 1252, US formats)")

# Test programs run as programs of this build's bitness (scripts/run-under-wine.sh).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CORVASTEL_WINDOWS_ARCH x64)
else()
  set(CORVASTEL_WINDOWS_ARCH x86)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${PROJECT_SOURCE_DIR}/scripts/run-under-wine.sh ${CORVASTEL_WINEPREFIX} ${CORVASTEL_WINDOWS_ARCH})

set(_prefix_script "${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh")
add_test(NAME wine_prefix_up COMMAND ${_prefix_script} up "${CORVASTEL_WINEPREFIX}")
add_test(NAME wine_prefix_down COMMAND ${_prefix_script} down "${CORVASTEL_WINEPREFIX}")
set_tests_properties(wine_prefix_up PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_prefix_down PROPERTIES FIXTURES_CLEANUP wine)

# corvastel_add_wine_test(<name> <target> [LOCALE <locale>] [ARGS <arg>...])
#   runs one of our executables under Wine;
# corvastel_add_wine_test(<name> PROGRAM <program> [LOCALE <locale>] [ARGS <arg>...])
#   runs a program of the prefix (regsvr32.exe, cscript.exe) of our bitness.
function(corvastel_add_wine_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LOCALE;PROGRAM" "ARGS")
  if(NOT arg_LOCALE)
    set(arg_LOCALE "${CORVASTEL_TEST_LOCALE}")
  endif()
  if(arg_PROGRAM)
    set(command ${CMAKE_CROSSCOMPILING_EMULATOR} ${arg_PROGRAM})
  else()
    set(command ${arg_UNPARSED_ARGUMENTS})
  endif()
  add_test(NAME ${name} COMMAND ${command} ${arg_ARGS})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "CORVASTEL_LOCALE=${arg_LOCALE}")
endfunction()
