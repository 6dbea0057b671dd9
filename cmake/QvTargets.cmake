# Helpers shared by every folder's CMakeLists.txt.

# Tests that open one of the program's fixed ports (the case port 5001, the
# server port 2501) must never meet another run's listener on the same
# machine. Where the system lets an unprivileged user make a private network
# namespace, each such test case runs in one of its own (tests/run_netns.sh)
# and needs no lock; elsewhere they hold the resource lock "fixed_ports" and
# run one at a time.
if(NOT DEFINED QV_TEST_NETNS)
  set(netns_ok OFF)
  find_program(QV_UNSHARE unshare)
  find_program(QV_IP ip PATHS /usr/sbin /sbin)
  if(QV_UNSHARE AND QV_IP)
    execute_process(COMMAND ${QV_UNSHARE} -rn ${QV_IP} link set lo up RESULT_VARIABLE netns_rc OUTPUT_QUIET
                    ERROR_QUIET)
    if(netns_rc EQUAL 0)
      set(netns_ok ON)
    endif()
  endif()
  set(QV_TEST_NETNS ${netns_ok} CACHE BOOL "Run the fixed-port tests in private network namespaces")
  message(STATUS "Fixed-port tests in private network namespaces: ${QV_TEST_NETNS}")
endif()

# The tests against the test database cluster hold one lock (some stop and
# restart its server). Where fixed-port tests are not isolated in namespaces,
# the frame's database tests also open the fixed ports: the one lock then is
# the fixed ports' own.
if(QV_TEST_NETNS)
  set(QV_DB_TEST_LOCK test_database)
else()
  set(QV_DB_TEST_LOCK fixed_ports)
endif()

# qv_fixed_port_test(<target> <props-var>): isolates a test program that opens
# the fixed ports, either by its namespace launcher or by appending the lock
# to the test properties in <props-var>.
function(qv_fixed_port_test target props_var)
  if(QV_TEST_NETNS)
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
                                               "${CMAKE_SOURCE_DIR}/tests/run_netns.sh;${QV_UNSHARE};${QV_IP}")
  else()
    set(${props_var} ${${props_var}} RESOURCE_LOCK fixed_ports PARENT_SCOPE)
  endif()
endfunction()

# qv_add_gtest(<name> SOURCES <files...> LIBS <targets...> [LOCK <resource>] [TIMEOUT <s>]
#              [FIXTURE <fixture>])
# A GoogleTest program whose cases CTest runs one by one. LOCK fixed_ports
# marks a program that opens the fixed ports (isolated as above); any other
# LOCK serialises the cases with every other test holding the same resource.
# One name only: a property value cannot carry a list through test discovery.
# FIXTURE names a CTest fixture (a server started for the tests) every case
# needs.
function(qv_add_gtest name)
  cmake_parse_arguments(ARG "" "LOCK;TIMEOUT;FIXTURE" "SOURCES;LIBS" ${ARGN})
  if(QV_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  list(APPEND props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_FIXTURE)
    list(APPEND props FIXTURES_REQUIRED ${ARG_FIXTURE})
  endif()
  if(ARG_LOCK STREQUAL "fixed_ports")
    qv_fixed_port_test(${name} props)
  elseif(ARG_LOCK)
    list(APPEND props RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES ${props})
endfunction()

# qv_add_fuzzer(<name> SOURCES <files...> LIBS <targets...> [SECONDS <n>] [ARGS <libFuzzer flags...>])
# A libFuzzer target, built only in the clang fuzz tree (QV_FUZZ), where
# CTest runs it for a bounded time over its seed corpus folder if present.
function(qv_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SECONDS;CORPUS" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT QV_FUZZ)
    return()
  endif()
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 20)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzzers ${name})
  set(corpus_dir ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${corpus_dir})
  set(seeds "")
  if(ARG_CORPUS)
    set(seeds ${ARG_CORPUS})
  endif()
  add_test(NAME fuzz.${name}
           COMMAND ${name} -max_total_time=${ARG_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=0 ${ARG_ARGS} ${corpus_dir} ${seeds})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300)
endfunction()
