# Start, Restart and Stop from outside the program over the session bus, and
# the sorvane-timer-ctl command that calls them (included from
# src/CMakeLists.txt, paths relative to src/).  Without Qt DBus the program
# links a stand-in that says outside control is off, and there is no
# sorvane-timer-ctl.
if(NOT Qt6DBus_FOUND)
  target_sources(sorvane_platform PRIVATE hotkeys/NullOutsideControl.cpp)
  return()
endif()

target_sources(sorvane_platform PRIVATE hotkeys/DBusControl.cpp hotkeys/DBusOutsideControl.cpp)
target_link_libraries(sorvane_platform PUBLIC Qt6::DBus)

add_executable(sorvane-timer-ctl ${PROJECT_SOURCE_DIR}/tools/sorvane-timer-ctl.cpp)
target_include_directories(sorvane-timer-ctl PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(sorvane-timer-ctl PRIVATE Qt6::Core Qt6::DBus sorvane_warnings)
install(TARGETS sorvane-timer-ctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The D-Bus test runs sorvane-timer-ctl from the build folder's top; the
# tests are defined after this file, so the dependency is added once the
# top-level folder has been read.
function(sorvane_ctl_test_dependency)
  if(TARGET DBusControlQtTest)
    add_dependencies(DBusControlQtTest sorvane-timer-ctl)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL sorvane_ctl_test_dependency)
