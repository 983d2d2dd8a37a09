# sa_add_subdirectories(): adds every subfolder of the current folder that holds a
# CMakeLists.txt, so that a new test, tool or benchmark needs no edit here.
function(sa_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
