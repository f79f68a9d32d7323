# GoogleTest for builds without the system's (a cross build): Debian ships its
# sources in /usr/src/googletest.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(ZUL_GTEST_SOURCES /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ZUL_GTEST_SOURCES} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Its own CMake names the GTest:: targets as find_package does.
endif()
