# dist/<arch>: the folder a user copies to a Windows machine.
set(CORVASTEL_DIST_DIR "${PROJECT_SOURCE_DIR}/dist" CACHE PATH "Where the release folders are laid out")
set(dist_dir ${CORVASTEL_DIST_DIR}/${CORVASTEL_WINDOWS_ARCH})
# The shipped programs' debug information, for the release's symbols archive.
set(symbols_dir ${CORVASTEL_DIST_DIR}/symbols/${CORVASTEL_WINDOWS_ARCH})
set(examples ${PROJECT_SOURCE_DIR}/examples)
add_custom_target(dist ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${dist_dir}/examples ${symbols_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Corvastel> $<TARGET_FILE:RegisterCorvastel>
          $<TARGET_PROPERTY:corvastel_interface,CORVASTEL_TYPE_LIBRARY>
          $<TARGET_PROPERTY:corvastel_interface,CORVASTEL_SIDE_BY_SIDE_MANIFEST> ${dist_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${examples}/demo.vbs ${examples}/demo.js ${examples}/demo.bas ${examples}/demo.ps1 ${examples}/cpp_client.cpp
          ${PROJECT_BINARY_DIR}/examples/cpp_client.exe.manifest ${dist_dir}/examples
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Corvastel>.debug $<TARGET_FILE:RegisterCorvastel>.debug
          ${symbols_dir}
  COMMENT "Laying out ${dist_dir}")
add_dependencies(dist Corvastel RegisterCorvastel)
