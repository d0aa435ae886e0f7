# Global hotkey backends of sorvane_platform (included from src/CMakeLists.txt,
# paths relative to src/).  The chooser always builds; each backend whose
# libraries are missing is replaced by a stand-in that gives up at once.
# The libraries are looked for in the top-level CMakeLists.txt.

# The key table (hotkeys/VirtualKeys.cpp, a core source) spells its values
# with the systems' own constants: X11 keysyms, Linux input codes and Qt's
# key enumeration.  Only Qt's headers are read for it; the core links no Qt.
find_path(X11_KEYSYM_INCLUDE_DIR X11/XF86keysym.h)
if(NOT X11_KEYSYM_INCLUDE_DIR)
  message(FATAL_ERROR "X11/keysymdef.h is missing: install x11proto-dev (tools/deps.sh)")
endif()
set_source_files_properties(hotkeys/VirtualKeys.cpp PROPERTIES
  INCLUDE_DIRECTORIES "$<TARGET_PROPERTY:Qt6::Core,INTERFACE_INCLUDE_DIRECTORIES>;${X11_KEYSYM_INCLUDE_DIR}"
  COMPILE_DEFINITIONS QT_NO_VERSION_TAGGING)

target_sources(sorvane_platform PRIVATE hotkeys/HotkeyBackendChooser.cpp)

if(X11XI_FOUND)
  target_sources(sorvane_platform PRIVATE hotkeys/X11HotkeyBackend.cpp)
  target_link_libraries(sorvane_platform PRIVATE PkgConfig::X11XI)
else()
  target_sources(sorvane_platform PRIVATE hotkeys/NullX11HotkeyFactory.cpp)
endif()

if(Qt6DBus_FOUND)
  target_sources(sorvane_platform PRIVATE hotkeys/PortalHotkeyBackend.cpp)
  target_link_libraries(sorvane_platform PUBLIC Qt6::DBus)
else()
  target_sources(sorvane_platform PRIVATE hotkeys/NullPortalHotkeyFactory.cpp)
endif()

if(LIBEVDEV_FOUND)
  target_sources(sorvane_platform PRIVATE hotkeys/EvdevHotkeyBackend.cpp)
  target_link_libraries(sorvane_platform PRIVATE PkgConfig::LIBEVDEV)
else()
  target_sources(sorvane_platform PRIVATE hotkeys/NullEvdevHotkeyFactory.cpp)
endif()
