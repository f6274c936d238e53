# qt_add_resources on a static library adds object libraries of its own (<library>_resources_<n>) that inherit
# AUTOMOC and AUTOUIC; their pass over the library's forms writes the same ui_*.h files as the library's,
# which Ninja refuses ("multiple rules generate ..."). A compiled resource needs neither.
function(quillo_resource_targets_skip_autogen dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    if(target MATCHES "_resources_[0-9]+$")
      set_target_properties(${target} PROPERTIES AUTOUIC OFF AUTOMOC OFF)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    quillo_resource_targets_skip_autogen(${subdir})
  endforeach()
endfunction()
quillo_resource_targets_skip_autogen(${PROJECT_SOURCE_DIR})
