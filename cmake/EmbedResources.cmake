# embed_resources(TARGET <lib> FILES <f>...): compiles each file into the library as
# a byte array, reachable at run time by its file name through resources/Resources.h.
function(embed_resources)
  cmake_parse_arguments(ER "" "TARGET" "FILES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/EmbeddedResources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DFILES=${ER_FILES}" -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    DEPENDS ${ER_FILES} ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    COMMENT "Embedding resources"
    VERBATIM)
  target_sources(${ER_TARGET} PRIVATE ${out})
endfunction()
