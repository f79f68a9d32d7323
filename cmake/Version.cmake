# The version the programs print: the project's version and, in a git
# checkout, what git describe says of it ("0.1 (a1b2c3d-dirty)").
set(ZUL_VERSION_TEXT "${PROJECT_VERSION}")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --always --dirty
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE ZUL_GIT_DESCRIBE
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(ZUL_GIT_DESCRIBE)
    set(ZUL_VERSION_TEXT "${PROJECT_VERSION} (${ZUL_GIT_DESCRIBE})")
  endif()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/ZulVersion.h.in ${CMAKE_BINARY_DIR}/generated/ZulVersion.h @ONLY)
add_library(zulversion INTERFACE)
target_include_directories(zulversion INTERFACE ${CMAKE_BINARY_DIR}/generated)
