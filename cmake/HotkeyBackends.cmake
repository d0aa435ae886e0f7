# Global hotkey backends of sorvane_platform (included from src/CMakeLists.txt,
# paths relative to src/).  The chooser always builds; each backend whose
# libraries are missing is replaced by a stand-in that gives up at once.
# The libraries are looked for in the top-level CMakeLists.txt.

# The evdev key table is plain C++ and belongs to the core.
target_sources(sorvane_core PRIVATE hotkeys/EvdevKeys.cpp)

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
