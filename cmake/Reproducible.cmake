# The commit's time stands in for the time of the build wherever a tool records one, so
# that building one commit twice, in any folder, gives the same bytes. SOURCE_DATE_EPOCH,
# when set, wins; CMake's own timestamps follow it too.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(top ${CMAKE_CURRENT_LIST_DIR}/..)
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${top}
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR epoch STREQUAL "")
    set(epoch 0)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
  # A new commit configures again.
  if(EXISTS ${top}/.git/logs/HEAD)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${top}/.git/logs/HEAD)
  endif()
endif()
set(CORVASTEL_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
