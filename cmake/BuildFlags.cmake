# Flags for everything this project builds: warnings as errors on our own code,
# a static runtime so the binaries import only system DLLs, and hardened images. The
# images are reproducible: no link time stamp, and the debug information names the
# source and build folders by fixed names instead of where they happen to be.
add_library(corvastel_build_flags INTERFACE)
target_compile_features(corvastel_build_flags INTERFACE cxx_std_17)
target_compile_options(corvastel_build_flags INTERFACE -Wall -Wextra -Werror -fstack-protector-strong)
target_compile_definitions(corvastel_build_flags INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build;-ffile-prefix-map=${PROJECT_SOURCE_DIR}=source>")
add_link_options(-static -Wl,--no-insert-timestamp -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat ${CORVASTEL_LINK_OPTIONS})

# corvastel_ship_stripped(<target>): the program is stripped after the link, and its
# debug information kept in <file>.debug beside it, which the program names
# (.gnu_debuglink, with its checksum) so that gdb finds it there. objcopy stamps the
# images it writes with SOURCE_DATE_EPOCH, which stays 0 as the link left it.
function(corvastel_ship_stripped target)
  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
