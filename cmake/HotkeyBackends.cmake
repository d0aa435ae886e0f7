# Global hotkey backends of sorvane_platform (included from src/CMakeLists.txt,
# paths relative to src/).
if(X11XI_FOUND)
  target_sources(sorvane_platform PRIVATE hotkeys/X11HotkeyBackend.cpp)
  target_link_libraries(sorvane_platform PRIVATE PkgConfig::X11XI)
else()
  target_sources(sorvane_platform PRIVATE hotkeys/NullHotkeyFactory.cpp)
endif()
