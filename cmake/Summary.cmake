# What this configuration builds, printed at the end of every configure run.
# A backend whose library was not found is replaced by its null stand-in:
# the program still builds and runs, without that way of hearing keys or of
# making sound, so the summary is the place to notice a missing -dev package.
include(FeatureSummary)

add_feature_info("X11 hotkeys (x11, xi)" X11XI_FOUND
  "global hotkeys from XInput2 raw key events on X11")
add_feature_info("Portal hotkeys (Qt6 DBus)" Qt6DBus_FOUND
  "global hotkeys from the desktop's GlobalShortcuts portal on Wayland")
add_feature_info("Outside control (Qt6 DBus)" Qt6DBus_FOUND
  "Start, Restart and Stop over the session bus, and the sorvane-timer-ctl command")
add_feature_info("Status indicator in a panel (Qt6 DBus)" Qt6DBus_FOUND
  "the indicator appears when a StatusNotifierItem panel starts, also after the timer; without it the X11 tray alone")
add_feature_info("evdev hotkeys (libevdev)" LIBEVDEV_FOUND
  "global hotkeys from the keyboards under /dev/input")
add_feature_info("Sound (libpulse, fluidsynth)" "PULSE_FOUND;FLUIDSYNTH_FOUND"
  "square-wave and MIDI beeps; without both libraries the timer is silent")
if(EXISTS "${SORVANE_SOUNDFONT}")
  set(SORVANE_SOUNDFONT_FOUND ON)
endif()
add_feature_info("MIDI soundfont" SORVANE_SOUNDFONT_FOUND
  "${SORVANE_SOUNDFONT}, read at run time for MIDI beeps (SORVANE_SOUNDFONT)")
add_feature_info("Tests" SORVANE_BUILD_TESTS "GoogleTest, QtTest and end-to-end tests (SORVANE_BUILD_TESTS)")
add_feature_info("Sanitizers" SORVANE_SANITIZE "AddressSanitizer and UndefinedBehaviorSanitizer (SORVANE_SANITIZE)")
add_feature_info("Warnings as errors" SORVANE_WERROR "-Werror (SORVANE_WERROR)")
add_feature_info("Fuzz targets" SORVANE_FUZZ "libFuzzer targets, clang only (SORVANE_FUZZ)")

feature_summary(WHAT ENABLED_FEATURES DISABLED_FEATURES)
