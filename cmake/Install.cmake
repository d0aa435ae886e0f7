# Outside control, install rules and the Debian package (included from
# src/CMakeLists.txt, paths relative to src/).
include(GNUInstallDirs)
find_package(Qt6 REQUIRED COMPONENTS DBus)

# Start, Restart and Stop on the session bus.
target_sources(sorvane_platform PRIVATE hotkeys/DBusControl.cpp)
target_link_libraries(sorvane_platform PUBLIC Qt6::DBus)

# The command that calls them.
add_executable(sorvane-timer-ctl ${PROJECT_SOURCE_DIR}/tools/sorvane-timer-ctl.cpp)
target_include_directories(sorvane-timer-ctl PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(sorvane-timer-ctl PRIVATE Qt6::Core Qt6::DBus)

# The D-Bus test runs sorvane-timer-ctl from the build folder's top; the
# tests are defined after this file, so the dependency is added once the
# top-level folder has been read.
function(sorvane_ctl_test_dependency)
  if(TARGET DBusControlQtTest)
    add_dependencies(DBusControlQtTest sorvane-timer-ctl)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL sorvane_ctl_test_dependency)

# Install layout: the program, the control command, the launcher used by the
# desktop entry, the MIDI beep file, desktop integration and the README.
set(SORVANE_APP_ID org.sorvane.Timer)
install(TARGETS sorvane-timer sorvane-timer-ctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/data/sorvane-timer-desktop DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/beep.mid DESTINATION ${CMAKE_INSTALL_DATADIR}/sorvane-timer)
install(FILES ${PROJECT_SOURCE_DIR}/data/${SORVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${SORVANE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/${SORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvane-timer)

# Debian package: `make deb` (cpack -G DEB in the build folder).
set(CPACK_PACKAGE_NAME sorvane-timer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Sorvane Timer developers")
set(CPACK_PACKAGE_CONTACT "Sorvane Timer developers <noreply@sorvane-timer.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interval timer driven by global hotkeys")
set(CPACK_PACKAGE_INSTALL_DIRECTORY sorvane-timer)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# Shared libraries are found by dpkg-shlibdeps; the soundfont is read by
# path and the Qt platform plugins are loaded at run time, so those two
# are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont, qt6-qpa-plugins")
# The first line of the Debian description is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Sorvane Timer plays timed cycles of beeps: periodic warnings whose beep
count grows with each warning, then a final countdown that ends exactly
with the cycle, repeated a set number of times.  Three global hotkeys start,
restart and stop it from any application; sorvane-timer-ctl does the same
from the command line or a desktop's own key bindings.  Settings live in
small text files.")
include(CPack)
