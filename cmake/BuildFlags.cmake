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
