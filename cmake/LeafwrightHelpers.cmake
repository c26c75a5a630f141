include(GoogleTest)

# leafwright_test_build_options(<target>)
# In the sanitizer tree (CI's one tree) a test's own code is built for a quick build: without the
# fuzzers' coverage counters (they serve the libraries being fuzzed), unoptimised and with line
# tables only. The code under test keeps the tree's settings (-O1, full debug information).
function(leafwright_test_build_options TARGET)
  if(LEAFWRIGHT_FUZZ)
    target_compile_options(${TARGET} PRIVATE -fno-sanitize=fuzzer-no-link)
  endif()
  if(LEAFWRIGHT_ASAN)
    target_compile_options(${TARGET} PRIVATE -O0 -gline-tables-only)
  endif()
endfunction()

# leafwright_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [GUI])
# One GoogleTest executable; its cases are registered with CTest one by one, or (with
# LEAFWRIGHT_TEST_PROGRAMS, as CI does) the program as one test that runs every case in one
# process: a sanitizer build's start-up costs about a second of processor time, paid once instead
# of once per case. GUI tests run under xvfb-run with a time limit.
function(leafwright_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} lw_test_support GTest::gtest GTest::gtest_main Threads::Threads)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  leafwright_test_build_options(${T_NAME})
  if(T_GUI)
    add_test(NAME ${T_NAME}
             COMMAND timeout 600 xvfb-run -a $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 660 LABELS gui)
  elseif(LEAFWRIGHT_TEST_PROGRAMS)
    add_test(NAME ${T_NAME} COMMAND $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 900)
  else()
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# leafwright_add_fuzzer(NAME <name> SOURCES <files...> LIBS <targets...>)
# A libFuzzer harness (built only with LEAFWRIGHT_FUZZ=ON, under clang).
function(leafwright_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT LEAFWRIGHT_FUZZ)
    return()
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzzers")
endfunction()

# leafwright_add_layer(<target> [SHARED|STATIC] DEPS <targets...> PKG <pkg-config modules...>)
# A platform layer: sources are platform/<name>/*.cpp, public headers include/<name>/.
function(leafwright_add_layer TARGET)
  cmake_parse_arguments(L "SHARED;STATIC" "HEADERS" "DEPS;PKG" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.c")
  if(L_SHARED)
    add_library(${TARGET} SHARED ${_srcs})
  else()
    add_library(${TARGET} STATIC ${_srcs})
  endif()
  if(NOT L_HEADERS)
    get_filename_component(L_HEADERS "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  endif()
  target_include_directories(${TARGET} PUBLIC "${PROJECT_SOURCE_DIR}/include/${L_HEADERS}" "${PROJECT_SOURCE_DIR}/include")
  target_link_libraries(${TARGET} PUBLIC ${L_DEPS} Threads::Threads)
  foreach(_pkg ${L_PKG})
    string(MAKE_C_IDENTIFIER "${_pkg}" _id)
    pkg_check_modules(PKG_${_id} REQUIRED IMPORTED_TARGET ${_pkg})
    target_link_libraries(${TARGET} PUBLIC PkgConfig::PKG_${_id})
  endforeach()
endfunction()

# Adds a folder's tests/ and (in fuzz builds) fuzz/ subfolders when they have a CMakeLists.txt.
macro(leafwright_add_test_dirs)
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/tests/CMakeLists.txt")
    add_subdirectory(tests)
  endif()
  if(LEAFWRIGHT_FUZZ AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/fuzz/CMakeLists.txt")
    add_subdirectory(fuzz)
  endif()
endmacro()
