# Install rules and the Debian package (included from src/CMakeLists.txt).
# sorvane-timer-ctl is installed by cmake/DBusControl.cmake.

# Install layout: the program, the launcher used by the desktop entry, the
# MIDI beep file, desktop integration, the README and the copyright file.
set(SORVANE_APP_ID org.sorvane.Timer)
install(TARGETS sorvane-timer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/data/sorvane-timer-desktop DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/beep.mid DESTINATION ${CMAKE_INSTALL_DATADIR}/sorvane-timer)
install(FILES ${PROJECT_SOURCE_DIR}/data/${SORVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${SORVANE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/${SORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvane-timer)
# Debian's machine-readable copyright file, where Debian looks for it
# (/usr/share/doc/<package>/copyright).
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvane-timer)

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
