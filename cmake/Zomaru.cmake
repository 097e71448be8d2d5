# Helpers shared by every folder's CMakeLists.txt.

# zmr_library(NAME [RECURSE] [SOURCES <files>] [DEPS <targets>] [PKG <pkg-config modules>])
# One static library per source folder; the repository root is the include root.
# Without SOURCES every .c and .cpp file of the folder is compiled, and with
# RECURSE those of its subfolders too (a library kept in family folders).
function(zmr_library name)
  cmake_parse_arguments(ARG "RECURSE" "" "SOURCES;DEPS;PKG" ${ARGN})
  if(NOT ARG_SOURCES)
    if(ARG_RECURSE)
      set(glob GLOB_RECURSE)
    else()
      set(glob GLOB)
    endif()
    file(${glob} ARG_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.c ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  set_property(GLOBAL APPEND PROPERTY ZMR_ALL_LIBRARIES ${name})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  if(ARG_PKG)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(${name}_pkg REQUIRED IMPORTED_TARGET ${ARG_PKG})
    target_link_libraries(${name} PUBLIC PkgConfig::${name}_pkg)
  endif()
endfunction()

# zmr_test(NAME [SOURCES <files>] DEPS <targets> [MAIN])
# One test program per folder, registered with CTest as one test. Without
# SOURCES every .cpp file of the folder is compiled. Without MAIN the program
# links gtest_main; with MAIN one of its sources defines main() (to call the
# registration functions of the libraries under test). Each program's data
# and caches go to a home folder in its build folder ($ZMR_HOME).
function(zmr_test name)
  cmake_parse_arguments(ARG "MAIN" "" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  if(NOT ARG_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  # Scratch folders, and the device folder beside a scratch home (installed
  # apps, boards), go to a temporary folder of the program's own: programs
  # run side by side and must not see each other's installed apps. It is
  # short, because local socket paths live below it.
  string(MD5 tmp_key "${CMAKE_CURRENT_BINARY_DIR}")
  string(SUBSTRING "${tmp_key}" 0 10 tmp_key)
  set(tmp "/tmp/zmr-test-${tmp_key}")
  add_test(NAME ${name} COMMAND /bin/sh -c "mkdir -p '${tmp}' && exec \"$0\" --gtest_brief=1" $<TARGET_FILE:${name}>)
  # The limit catches a program that hangs. The screens' program takes
  # ten minutes on two cores a build keeps busy; a hang still ends well
  # inside a CI run.
  set_tests_properties(${name} PROPERTIES TIMEOUT 1200
    ENVIRONMENT "TMPDIR=${tmp};ZMR_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZMR_HOME=${CMAKE_CURRENT_BINARY_DIR}/home;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()

# zmr_outside_lto(<files of this folder>)
# In builds optimised at link time, these sources are still optimised on
# their own. At link time the inliner shares one growth budget across the
# whole program, so whether the small helpers of a tight loop get inlined
# hangs on everything else linked with it; code whose hot loops call nothing
# of the other layers gains nothing there and keeps the speed it has alone.
function(zmr_outside_lto)
  if(CMAKE_INTERPROCEDURAL_OPTIMIZATION)
    set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_OPTIONS -fno-lto)
  endif()
endfunction()
