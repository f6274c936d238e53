# Every text the program shows goes through tr(), in every library and form, so the translation source file
# takes its texts from all of them rather than from the executable's own few files.
set(quillo_translated_targets
  quillo_platform quillo_camera quillo_base quillo_doccam quillo_annotation quillo_recording quillo_mediastore
  quillo_browser quillo_upload quillo_app quillo)
set(quillo_translated_sources)
foreach(target IN LISTS quillo_translated_targets)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.(cpp|h|ui)$")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE)
    list(APPEND quillo_translated_sources ${source})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES quillo_translated_sources)
list(SORT quillo_translated_sources)

# Lang_eng.ts holds the source texts; every other Lang_<code>.ts beside it is a translation of them.
file(GLOB quillo_ts_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/translations/Lang_*.ts)
# Line numbers would change the file with every edit of a source; the texts and their contexts are what a
# translator works from.
set(quillo_lupdate_options -locations none -no-obsolete)
# `cmake --build build --target update_translations` brings the .ts files up to date with the sources.
qt_add_lupdate(quillo TS_FILES ${quillo_ts_files} SOURCES ${quillo_translated_sources}
  OPTIONS ${quillo_lupdate_options})

# The same list for the suite's check that the .ts file is current.
list(JOIN quillo_translated_sources "\n" quillo_translated_list)
file(WRITE ${CMAKE_BINARY_DIR}/translated-sources.lst "${quillo_translated_list}\n")
set(QUILLO_TRANSLATED_SOURCES_LIST ${CMAKE_BINARY_DIR}/translated-sources.lst)

# Compiled into language/ beside the executable, where "language/Lang_%1" is looked for.
set_source_files_properties(${quillo_ts_files} PROPERTIES OUTPUT_LOCATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/language)
qt_add_lrelease(quillo TS_FILES ${quillo_ts_files} QM_FILES_OUTPUT_VARIABLE quillo_qm_files)
