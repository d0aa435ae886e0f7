# Compiler warnings of the project's own code, as an interface target that
# every target of the project links (PRIVATE): code that is not ours keeps
# its own flags.  SORVANE_WERROR turns the warnings into errors (CI).
add_library(sorvane_warnings INTERFACE)
target_compile_options(sorvane_warnings INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${SORVANE_WERROR}>:-Werror>)

# Called once every folder has been read: a target that compiles code but
# does not link sorvane_warnings stops the configure run, so that a new
# target cannot silently build without warnings.
function(sorvane_check_warnings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    # Qt's generated resource objects (qt_add_resources) are not our code.
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$"
       AND NOT target MATCHES "_resources_[0-9]+$")
      get_target_property(libs ${target} LINK_LIBRARIES)
      if(NOT "sorvane_warnings" IN_LIST libs)
        message(SEND_ERROR "target ${target} does not link sorvane_warnings")
      endif()
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    sorvane_check_warnings(${subdir})
  endforeach()
endfunction()
