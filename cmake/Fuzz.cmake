# Fuzz targets (built only with -DSORVANE_FUZZ=ON and clang).
#
# Each target compiles the core sources it needs itself, with libFuzzer and
# the address and undefined-behaviour checkers, so that the checks cover the
# code under test and not only the fuzz driver.  tools/fuzz.sh configures a
# build folder of its own for them and runs them.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "The fuzz targets need clang (libFuzzer); configure with CXX=clang++-14")
endif()

set(SORVANE_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer -g -O1)
set(SORVANE_SRC ${PROJECT_SOURCE_DIR}/src)

function(sorvane_fuzz_target name driver)
  add_executable(${name} ${PROJECT_SOURCE_DIR}/tests/fuzz/${driver} ${ARGN})
  target_include_directories(${name} PRIVATE ${SORVANE_SRC})
  target_compile_options(${name} PRIVATE ${SORVANE_FUZZ_FLAGS})
  target_link_options(${name} PRIVATE ${SORVANE_FUZZ_FLAGS})
  target_link_libraries(${name} PRIVATE sorvane_warnings)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  list(APPEND SORVANE_FUZZ_TARGETS ${name})
  set(SORVANE_FUZZ_TARGETS ${SORVANE_FUZZ_TARGETS} PARENT_SCOPE)
endfunction()

sorvane_fuzz_target(fuzz_number_text FuzzNumberText.cpp
  ${SORVANE_SRC}/engine/NumberText.cpp)
sorvane_fuzz_target(fuzz_settings_text FuzzSettingsText.cpp
  ${SORVANE_SRC}/settings/SettingsFormat.cpp ${SORVANE_SRC}/engine/NumberText.cpp)
sorvane_fuzz_target(fuzz_beep_list FuzzBeepList.cpp
  ${SORVANE_SRC}/schedule/BeepListText.cpp ${SORVANE_SRC}/engine/NumberText.cpp)
sorvane_fuzz_target(fuzz_key_names FuzzKeyNames.cpp
  ${SORVANE_SRC}/hotkeys/KeyNames.cpp ${SORVANE_SRC}/hotkeys/VirtualKeys.cpp)
# The key table reads Qt's key enumeration from its header.
target_include_directories(fuzz_key_names PRIVATE $<TARGET_PROPERTY:Qt6::Core,INTERFACE_INCLUDE_DIRECTORIES>)
target_compile_definitions(fuzz_key_names PRIVATE QT_NO_VERSION_TAGGING)

add_custom_target(fuzz_targets DEPENDS ${SORVANE_FUZZ_TARGETS})
