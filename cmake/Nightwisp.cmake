# Small helpers so every folder declares its targets the same way.

# nightwisp_library(NAME [SOURCES ...] [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# Without SOURCES, every *.cpp of the calling folder is the library.
function(nightwisp_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC_LIBS})
  endif()
endfunction()

# nightwisp_test(NAME SOURCES ... LIBS ... [LABELS ...])
# Unit tests run headless: no display, a dummy audio driver, the offscreen Qt platform.
function(nightwisp_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  # A test whose sources are still being written is left out with a warning, so one folder
  # in progress never stops the whole tree from configuring.
  foreach(source ${ARG_SOURCES})
    if(NOT IS_ABSOLUTE ${source})
      set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endif()
    if(NOT EXISTS ${source})
      message(WARNING "${name}: ${source} does not exist yet; the test is left out")
      return()
    endif()
  endforeach()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${ARG_LABELS}"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    ENVIRONMENT "SDL_AUDIODRIVER=dummy;QT_QPA_PLATFORM=offscreen;NIGHTWISP_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    TIMEOUT 600)
endfunction()

# nightwisp_fuzzer(NAME SOURCES ... LIBS ... [ARGS ...]): only in the sanitizer build (clang).
# CI runs each one briefly through ctest (label "fuzz"); ARGS are further libFuzzer options.
function(nightwisp_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # The seeds committed in corpus/ beside the target are read; what a run finds goes to a
  # folder of the build tree (the first folder named), never into the sources.
  set(seeds)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/corpus)
    set(found ${CMAKE_CURRENT_BINARY_DIR}/${name}-found)
    file(MAKE_DIRECTORY ${found})
    set(seeds ${found} ${CMAKE_CURRENT_SOURCE_DIR}/corpus)
  endif()
  if(NOT ARG_ARGS)
    set(ARG_ARGS -rss_limit_mb=2048)
  endif()
  add_test(NAME ${name} COMMAND ${name} -max_total_time=20 ${ARG_ARGS} ${seeds})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120
    ENVIRONMENT "SDL_AUDIODRIVER=dummy;QT_QPA_PLATFORM=offscreen")
endfunction()

# nightwisp_bench(NAME SOURCES ... LIBS ...): Google Benchmark programs, not run by ctest.
function(nightwisp_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/bench)
endfunction()
