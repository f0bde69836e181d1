# quova_module(<target> [DEPS <targets...>])
# One static library per source folder, made of every .cpp in it (main.cpp
# excepted, which belongs to the program). A folder with no sources yet
# becomes an interface library so that dependants link unchanged.
function(quova_module target)
  cmake_parse_arguments(M "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${target} PUBLIC ${M_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${target} INTERFACE ${M_DEPS})
  endif()
endfunction()

# quova_test(<name> [DEPS <targets...>])
# One test program per test folder, made of every .cpp in it; each GoogleTest
# case becomes a CTest test. Widgets run on Qt's offscreen platform.
function(quova_test name)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE ${T_DEPS} quova_testsupport GTest::gtest_main)
  gtest_discover_tests(test_${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 300)
endfunction()
