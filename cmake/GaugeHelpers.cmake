# Shared build rules. Every target gets the project's warnings and, in the
# test build, the sanitizers.

set(GAUGE_WARNINGS -Wall -Wextra -Wpedantic)
if(GAUGE_SANITIZE)
  set(GAUGE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize=vptr
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${GAUGE_SANITIZER_FLAGS})
  add_link_options(${GAUGE_SANITIZER_FLAGS})
endif()

function(gauge_apply_flags target)
  target_compile_options(${target} PRIVATE ${GAUGE_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# gauge_module(NAME [SOURCES_FROM dir...] DEPS lib...)
# A static library of all .cpp/.h files in the current folder (and the extra
# folders named), called core_NAME.
function(gauge_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES_FROM;DEPS" ${ARGN})
  set(dirs ${CMAKE_CURRENT_SOURCE_DIR} ${ARG_SOURCES_FROM})
  set(sources)
  foreach(dir ${dirs})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources INCLUDE REGEX "\\.(cpp|h)$")
  set(cpp_sources ${sources})
  list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
  if(cpp_sources)
    add_library(core_${name} STATIC ${sources})
    gauge_apply_flags(core_${name})
    target_link_libraries(core_${name} PUBLIC ${ARG_DEPS})
  else()
    # Nothing built yet: an interface target keeps dependants linking.
    add_library(core_${name} INTERFACE)
    target_include_directories(core_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(core_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# gauge_test(NAME DEPS lib... [LABELS label...])
# One GoogleTest program of all .cpp files in the current folder, run by CTest.
function(gauge_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(test_${name} ${sources})
  gauge_apply_flags(test_${name})
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND test_${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;GAUGE_SOURCE_DIR=${PROJECT_SOURCE_DIR};GAUGE_BINARY_DIR=${PROJECT_BINARY_DIR}")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# gauge_version_resource(TARGET PRODUCT name COMPANY name VERSION a.b.c.d [PRERELEASE])
# Embeds the program's version resource (":/program/version.ini") into TARGET.
function(gauge_version_resource target)
  cmake_parse_arguments(ARG "PRERELEASE" "PRODUCT;COMPANY;VERSION" "" ${ARGN})
  set(prerelease 0)
  if(ARG_PRERELEASE)
    set(prerelease 1)
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resource)
  file(WRITE ${dir}/version.ini.in
"[Version]\nProductName=${ARG_PRODUCT}\nCompanyName=${ARG_COMPANY}\nFileVersion=${ARG_VERSION}\nPreRelease=${prerelease}\n")
  configure_file(${dir}/version.ini.in ${dir}/version.ini COPYONLY)
  qt_add_resources(${target} "${target}_version" PREFIX "/program" BASE ${dir} FILES ${dir}/version.ini)
endfunction()
