# Build helpers shared by every subsystem, test suite and benchmark folder.
# Sources are picked up by folder so that adding a file never means editing a list.

# vantorelix_library(NAME [SHARED] [LOOPS] [EXCEPT subfolder...] [DEPS lib...])
# One library per subsystem folder, built from every .cpp/.c below it but those of the EXCEPT
# sub-folders, which are libraries of their own.
# Includes are written from the repository root: #include "framework/IPlugParameter.h".
# LOOPS marks a library whose time goes to loops over samples: the optimised build gives it the
# optimiser's whole vectoriser, which changes no result since no floating-point rule is relaxed.
function(vantorelix_library name)
  cmake_parse_arguments(ARG "SHARED;LOOPS" "" "EXCEPT;DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  foreach(subfolder ${ARG_EXCEPT})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${subfolder}/")
  endforeach()
  if(NOT sources)  # a folder that several people fill may still be empty
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    return()
  endif()
  if(ARG_SHARED)
    add_library(${name} SHARED ${sources})
  else()
    add_library(${name} STATIC ${sources})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARG_LOOPS)
    target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O3>)
  endif()
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# vantorelix_test(NAME [THREADS] [LIBS lib...])
# One GoogleTest executable per tests/<subsystem> folder; every test case is its own CTest test.
# THREADS marks a suite that runs code on several threads: the ThreadSanitizer build runs only
# those suites (target threaded_suites).
if(NOT TARGET threaded_suites)
  add_custom_target(threaded_suites)
endif()
function(vantorelix_test name)
  cmake_parse_arguments(ARG "THREADS" "" "LIBS" ${ARGN})
  if(VANTORELIX_TSAN AND NOT ARG_THREADS)
    return()
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(NOT sources)
    return()
  endif()
  # Every suite runs with a home folder of its own, so that nothing it runs reads or writes the
  # user's files.
  add_executable(test_${name} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/TemporaryHome.cpp)
  target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock Threads::Threads)
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "VANTORELIX_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
                       # An editor left open checks for updates: tests ask a closed loopback port.
                       ENVIRONMENT_MODIFICATION "VANTORELIX_UPDATE_SERVER=set:http://127.0.0.1:9")
  if(ARG_THREADS)
    add_dependencies(threaded_suites test_${name})
  endif()
endfunction()

# vantorelix_bench(NAME [LIBS lib...])
# One Google Benchmark executable per bench/<subsystem> folder. CTest runs each once, briefly,
# so that the benchmarks keep building and running; their times are never judged there. Cases
# that play hours of audio (named ...OverHours) are left out of that run.
function(vantorelix_bench name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(bench_${name} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/TemporaryHome.cpp)
  target_include_directories(bench_${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_${name} PRIVATE ${ARG_LIBS} benchmark::benchmark_main Threads::Threads)
  add_test(NAME bench_${name} COMMAND bench_${name} --benchmark_min_time=0.001 --benchmark_filter=-OverHours)
  set_tests_properties(bench_${name} PROPERTIES LABELS bench
                       ENVIRONMENT "VANTORELIX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# vantorelix_generated_table(LIBRARY GENERATOR HEADER COMMENT)
# A table computed once by the build instead of at every start: tools/GENERATOR.cpp, built for the
# build machine, writes generated/<library folder>/HEADER, which LIBRARY's sources include as
# "<library folder>/HEADER".
function(vantorelix_generated_table library generator header comment)
  add_executable(${generator} ${CMAKE_SOURCE_DIR}/tools/${generator}.cpp)
  target_include_directories(${generator} PRIVATE ${CMAKE_SOURCE_DIR})
  set(folder ${CMAKE_BINARY_DIR}/generated/${library})
  add_custom_command(OUTPUT ${folder}/${header}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                     COMMAND ${generator} ${folder}/${header}
                     DEPENDS ${generator}
                     COMMENT ${comment})
  target_sources(${library} PRIVATE ${folder}/${header})
  target_include_directories(${library} PRIVATE ${CMAKE_BINARY_DIR}/generated)
endfunction()

# Adds every direct sub-folder of the current folder that has a CMakeLists.txt.
function(vantorelix_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(entry ${entries})
    if(EXISTS ${entry}/CMakeLists.txt)
      add_subdirectory(${entry})
    endif()
  endforeach()
endfunction()

# vantorelix_au_bundle(TARGET NAME SOURCES file... LIBS lib... INFO_PLIST template [DESTINATION dir]
#                      [INSTALL])
# An audio unit plug-in as the host finds it: DESTINATION/NAME.component/Contents/MacOS/NAME (a
# shared library without extension; DESTINATION defaults to the current build folder) and
# Contents/Info.plist made from the template (@BUNDLE_EXECUTABLE@ is the library's name). Only the
# symbols marked for export leave the library; the static subsystems linked into it stay hidden.
# INSTALL puts the bundle at the top of the install prefix, beside lib/ with the platform library.
function(vantorelix_au_bundle target)
  cmake_parse_arguments(ARG "INSTALL" "NAME;INFO_PLIST;DESTINATION" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_DESTINATION)
    set(ARG_DESTINATION ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(bundle ${ARG_DESTINATION}/${ARG_NAME}.component)
  add_library(${target} MODULE ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
  # clang's sanitizer runtimes live in the executable that loads the bundle, so a fuzzing build
  # leaves their symbols undefined here.
  if(NOT VANTORELIX_FUZZ)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${ARG_NAME} PREFIX "" SUFFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${bundle}/Contents/MacOS
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  set(BUNDLE_EXECUTABLE ${ARG_NAME})
  configure_file(${ARG_INFO_PLIST} ${bundle}/Contents/Info.plist @ONLY)
  file(MAKE_DIRECTORY ${bundle}/Contents/Resources)
  if(ARG_INSTALL)
    # The library finds the platform library from where it lies, installed (so the tree can be
    # moved) and in the build tree, by paths written when it is linked (a build path rewritten at
    # install is padded with an empty entry, which the loader takes for the current folder); the
    # rest of the bundle is copied as the build made it.
    file(RELATIVE_PATH platform_dir ${bundle}/Contents/MacOS ${CMAKE_BINARY_DIR}/platform)
    set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH ON
                          INSTALL_RPATH "$ORIGIN/../../../lib;$ORIGIN/${platform_dir}")
    install(TARGETS ${target} LIBRARY DESTINATION ${ARG_NAME}.component/Contents/MacOS)
    install(DIRECTORY ${bundle}/ DESTINATION ${ARG_NAME}.component PATTERN MacOS EXCLUDE)
  endif()
endfunction()
