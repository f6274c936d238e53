# quillo_direct_moc(<target>)
# The automatic moc and uic step of a target (its own process, a compiler run for the predefined macros, a scan
# of every source and a moc pass through all the Qt headers the source includes) costs about a second of
# processor time, and there are some two hundred small programs in each tree. For a program whose only
# meta-object code is a class in a source file that includes "<name>.moc" at its end, moc is run on that file
# alone instead, which needs none of that; a program with no such class gets no step at all. A program that
# includes a form or lists a header with a class of its own keeps the automatic step.
function(quillo_direct_moc target)
  get_target_property(automoc ${target} AUTOMOC)
  if(NOT automoc)
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(moc_sources)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE path)
    if(NOT EXISTS ${path})
      continue()
    endif()
    file(READ ${path} text)
    if(text MATCHES "#include \"ui_")
      return()
    endif()
    if(NOT text MATCHES "Q_OBJECT|Q_GADGET|Q_NAMESPACE")
      continue()
    endif()
    if(NOT path MATCHES "\\.cpp$" OR NOT text MATCHES "#include \"([A-Za-z0-9_]+)\\.moc\"")
      return()
    endif()
    list(APPEND moc_sources "${path}|${CMAKE_MATCH_1}")
  endforeach()
  set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTOUIC OFF)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_moc)
  foreach(entry IN LISTS moc_sources)
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 path)
    list(GET entry 1 moc_name)
    set(output ${out_dir}/${moc_name}.moc)
    add_custom_command(OUTPUT ${output}
      COMMAND Qt6::moc -o ${output} ${path}
      DEPENDS ${path} Qt6::moc
      COMMENT "moc ${moc_name}.moc"
      VERBATIM)
    target_sources(${target} PRIVATE ${output})
  endforeach()
  if(moc_sources)
    target_include_directories(${target} PRIVATE ${out_dir})
  endif()
endfunction()

# The same for every program and library defined so far in the calling folder.
function(quillo_direct_moc_folder)
  get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "STATIC_LIBRARY")
      quillo_direct_moc(${target})
    endif()
  endforeach()
endfunction()
