# Helpers that let each subsystem's CMakeLists.txt say what it has without
# caring which of the three builds is running.

set(QOR_ROOT ${CMAKE_CURRENT_SOURCE_DIR})
if(NOT QOR_BIN_DIR)
  set(QOR_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
endif()
# The shipped QORDELET.EXE and GAUGE32.DLL are the i686 build's whichever
# build runs the tests: an x86-64 build points here at them.
set(QOR_SHIPPED_DIR "${QOR_BIN_DIR}" CACHE PATH "folder of the shipped QORDELET.EXE and GAUGE32.DLL")
set(QOR_SHIPPED_OBJDUMP "${CMAKE_OBJDUMP}" CACHE FILEPATH "objdump that reads the shipped files")
# Where the native build lives, so the win32 build can register its tests.
set(QOR_NATIVE_DIR "" CACHE PATH "binary dir of the native build")

# qor_core(NAME src...): portable code, no <windows.h>; built in every mode.
function(qor_core name)
  add_library(${name}_core STATIC ${ARGN})
  target_include_directories(${name}_core PUBLIC ${QOR_ROOT}/src)
  if(QOR_MODE STREQUAL "win32")
    target_compile_options(${name}_core PRIVATE ${QOR_PRODUCT_COMPILE})
  endif()
endfunction()

# qor_win32(NAME src...): Win32 code of a subsystem; only in the win32 build.
function(qor_win32 name)
  if(NOT QOR_MODE STREQUAL "win32")
    return()
  endif()
  add_library(${name}_win32 STATIC ${ARGN})
  target_include_directories(${name}_win32 PUBLIC ${QOR_ROOT}/src ${QOR_ROOT}/resources)
  target_compile_options(${name}_win32 PRIVATE ${QOR_PRODUCT_COMPILE})
  if(TARGET ${name}_core)
    target_link_libraries(${name}_win32 PUBLIC ${name}_core)
  endif()
endfunction()

# qor_uses(NAME lower...): the folder NAME calls the folders below it that
# follow. Its libraries link theirs, so every link line runs from the top
# floor down and no library needs a second pass.
function(qor_uses name)
  foreach(lower ${ARGN})
    foreach(kind core win32)
      if(TARGET ${name}_${kind} AND TARGET ${lower}_${kind})
        target_link_libraries(${name}_${kind} PUBLIC ${lower}_${kind})
      endif()
    endforeach()
    if(TARGET ${name}_win32 AND NOT TARGET ${name}_core AND TARGET ${lower}_core)
      target_link_libraries(${name}_win32 PUBLIC ${lower}_core)
    endif()
  endforeach()
endfunction()

# qor_native_test(NAME src... [LIBS lib...]): a GoogleTest program over the
# portable core. Built in the native build; the win32 build only registers it.
function(qor_native_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR})
  if(QOR_MODE STREQUAL "native")
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    add_test(NAME native_${name} COMMAND ${name})
  elseif(QOR_MODE STREQUAL "win32" AND QOR_NATIVE_DIR)
    add_test(NAME native_${name} COMMAND ${QOR_NATIVE_DIR}/${rel}/${name})
  endif()
endfunction()

# qor_win32_test(NAME src... [LIBS lib...] [TIMEOUT s]): a GoogleTest program
# run under wine; it links the whole program's code and resources so it can
# drive real windows. One CTest entry per program: every wine start costs time.
function(qor_win32_test name)
  if(NOT QOR_MODE STREQUAL "win32")
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS} $<TARGET_OBJECTS:qor_resources>)
  target_link_libraries(${name} PRIVATE ${T_LIBS} qor_program gtest gtest_main)
  target_include_directories(${name} PRIVATE ${QOR_ROOT}/src ${QOR_ROOT}/resources ${QOR_ROOT}/tests)
  add_test(NAME win32_${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # The Windows tests share one prefix (its Windows directory, registry,
  # spooler and display), so they run one at a time; native tests run beside.
  # A program that ends inside a test (a stack overrun under wine, say) can
  # exit with code 0: it passes only when GoogleTest reached its summary.
  set_tests_properties(win32_${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
                       RESOURCE_LOCK wineprefix
                       PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
                       FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

# qor_fuzz_target(NAME src... LIBS lib...): a libFuzzer target (fuzz build).
function(qor_fuzz_target name)
  if(NOT QOR_MODE STREQUAL "fuzz")
    return()
  endif()
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(fuzz_${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(fuzz_${name} PRIVATE ${T_LIBS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endfunction()

# qor_tool(NAME src... [LIBS lib...] [CONSOLE]): a small Windows program in tools/.
function(qor_tool name)
  if(NOT QOR_MODE STREQUAL "win32")
    return()
  endif()
  cmake_parse_arguments(T "CONSOLE" "" "LIBS" ${ARGN})
  if(T_CONSOLE)
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  else()
    add_executable(${name} WIN32 ${T_UNPARSED_ARGUMENTS})
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  target_include_directories(${name} PRIVATE ${QOR_ROOT}/src ${QOR_ROOT}/tools)
endfunction()

# qor_subsystem(NAME [USES lower...]): the usual subsystem folder: every *.cpp
# whose name does not end in _win32.cpp is portable core, every *_win32.cpp is
# Win32 code; USES names the folders below it that it calls (qor_uses).
function(qor_subsystem name)
  cmake_parse_arguments(S "" "" "USES" ${ARGN})
  file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER core_sources EXCLUDE REGEX "_win32\\.cpp$")
  file(GLOB win32_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_win32.cpp)
  if(core_sources)
    qor_core(${name} ${core_sources})
  endif()
  if(win32_sources)
    qor_win32(${name} ${win32_sources})
  endif()
  qor_uses(${name} ${S_USES})
endfunction()
