# One place registers every test: label, timeout, offscreen Qt, and a lock for
# tests that open pseudo-terminals (they must not race for the same links).
#
#   zul_add_test(NAME name SOURCES a.cpp ... LIBS lib ... LABELS core [PTY] [TIMEOUT s] [ARGS a ...])
function(zul_add_test)
  cmake_parse_arguments(T "PTY" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} ${T_ARGS})
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZUL_BIN_DIR=${CMAKE_BINARY_DIR}/bin;ZUL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(T_PTY)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK pty)
  endif()
endfunction()

# Every <name>_test.cpp in DIR becomes its own test executable.
function(zul_add_test_dir DIR)
  cmake_parse_arguments(T "PTY" "TIMEOUT" "LIBS;LABELS" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${DIR}/*_test.cpp)
  foreach(f ${files})
    get_filename_component(n ${f} NAME_WE)
    set(extra)
    if(T_PTY)
      list(APPEND extra PTY)
    endif()
    if(T_TIMEOUT)
      list(APPEND extra TIMEOUT ${T_TIMEOUT})
    endif()
    zul_add_test(NAME ${n} SOURCES ${f} LIBS ${T_LIBS} LABELS ${T_LABELS} ${extra})
  endforeach()
endfunction()
