# Install rules and the Debian package (included from src/CMakeLists.txt).
# sorvane-timer-ctl is installed by cmake/DBusControl.cmake.

# The Help and About test installs this build into a folder of its own and
# follows the links there: everything installed must be built first.  The
# tests are defined after this file, so the dependency is added once the
# top-level folder has been read.
function(sorvane_install_test_dependency)
  if(TARGET HelpAboutQtTest)
    add_dependencies(HelpAboutQtTest sorvane-timer beep_mid)
    if(TARGET sorvane-timer-ctl)
      add_dependencies(HelpAboutQtTest sorvane-timer-ctl)
    endif()
    target_compile_definitions(HelpAboutQtTest PRIVATE
      SORVANE_CMAKE_COMMAND="${CMAKE_COMMAND}" SORVANE_BUILD_DIR="${CMAKE_BINARY_DIR}"
      SORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL sorvane_install_test_dependency)

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
foreach(size ${SORVANE_ICON_SIZES})
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${SORVANE_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${SORVANE_APP_ID}.png)
endforeach()

# The README, which the Help and About links open.  The program looks for
# it when a link is made: beside itself (the same relative place in any
# install prefix, the Debian package's too), then in the prefix configured
# here, and, only while it runs from this build folder, in the source tree.
set(SORVANE_README_DIR ${CMAKE_INSTALL_DATADIR}/doc/sorvane-timer)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${SORVANE_README_DIR})
if(IS_ABSOLUTE "${SORVANE_README_DIR}")
  set(readme_installed "${SORVANE_README_DIR}/README.md")
else()
  set(readme_installed "${CMAKE_INSTALL_PREFIX}/${SORVANE_README_DIR}/README.md")
endif()
file(RELATIVE_PATH readme_from_bindir "${CMAKE_INSTALL_FULL_BINDIR}" "${readme_installed}")
target_compile_definitions(sorvane_ui PRIVATE
  SORVANE_README_FROM_BINDIR="${readme_from_bindir}"
  SORVANE_README_INSTALLED="${readme_installed}"
  SORVANE_BUILD_FOLDER="${CMAKE_BINARY_DIR}"
  SORVANE_SOURCE_README="${PROJECT_SOURCE_DIR}/README.md")
# Debian's machine-readable copyright file, where Debian looks for it
# (/usr/share/doc/<package>/copyright).
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION ${SORVANE_README_DIR})

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
# path, and FluidSynth and the Qt platform plugins are loaded at run time,
# so those three are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont, libfluidsynth3, qt6-qpa-plugins")
# The first line of the Debian description is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Sorvane Timer plays timed cycles of beeps: periodic warnings whose beep
count grows with each warning, then a final countdown that ends exactly
with the cycle, repeated a set number of times.  Three global hotkeys start,
restart and stop it from any application; sorvane-timer-ctl does the same
from the command line or a desktop's own key bindings.  Settings live in
small text files.")
include(CPack)
