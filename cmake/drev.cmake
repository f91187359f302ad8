# Helpers shared by every folder's CMakeLists.

# Our own code builds with every warning as an error.
# The fuzzer build uses clang, whose -Wall also warns where a class's own Create overload hides the
# base window class's (the framework's shape, kept on purpose).
function(drev_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${target} PRIVATE -Wno-overloaded-virtual)
  endif()
endfunction()

# drev_platform_library(NAME SOURCES... [DEPS ...] [PKG ...])
# A platform library: shared, so that the host program and the module it loads share one copy of the
# platform's state (windows, the registry store, the message backend).
function(drev_platform_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  # A library's calls to its own functions bind to them when it is linked, not through the dynamic
  # loader's symbol search at every start (data such as shared state stays one copy for all).
  target_link_options(${name} PRIVATE -Wl,-Bsymbolic-functions)
  drev_warnings(${name})
endfunction()

# drev_library(NAME SOURCES... [DEPS ...])
# One of the control's subsystems: a static library linked into the module and into its tests.
function(drev_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  drev_warnings(${name})
endfunction()

# drev_test(NAME SOURCES... [DEPS ...] [LABELS ...])
# One GoogleTest executable, registered with CTest as one test.
find_package(GTest REQUIRED)
function(drev_test name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE DREV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    DREV_BINARY_DIR="${PROJECT_BINARY_DIR}")
  drev_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT} LABELS "${A_LABELS}")
endfunction()
