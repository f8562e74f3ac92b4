# Every folder of the program is one static library, named after the folder, whose link line
# says which other folders it may use. orvik_library() makes it from the folder's own .cpp and
# .h files (not those of its subfolders) and records it, so that the include check below can
# hold every #include to that link line.
#
#   orvik_library(orvik_core_search LINKS orvik_core_text ... PRIVATE PkgConfig::PCRE2)
#
# LINKS are public (a header of the folder uses them), PRIVATE ones only its sources.
function(orvik_library name)
  cmake_parse_arguments(ARG "" "" "LINKS;PRIVATE;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE})
  orvik_record_library(${name} "${sources}" "${ARG_LINKS};${ARG_PRIVATE}")
endfunction()

# A folder's headers that need no library of their own (interfaces): an INTERFACE target.
function(orvik_interface name)
  cmake_parse_arguments(ARG "" "" "LINKS;SOURCES" ${ARGN})
  add_library(${name} INTERFACE)
  target_sources(${name} INTERFACE ${ARG_SOURCES})
  target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} INTERFACE ${ARG_LINKS})
  orvik_record_library(${name} "${ARG_SOURCES}" "${ARG_LINKS}")
endfunction()

function(orvik_record_library name sources links)
  set(files "")
  foreach(source ${sources})
    get_filename_component(path ${source} ABSOLUTE)
    file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${path})
    list(APPEND files ${path})
  endforeach()
  string(REPLACE ";" "," files "${files}")
  string(REPLACE ";" "," links "${links}")
  set_property(GLOBAL APPEND PROPERTY ORVIK_LIBRARIES "${name}|${links}|${files}")
endfunction()

# Writes what orvik_library() recorded and adds the check of every product #include against
# it to the build: an include of a folder that the including folder's library does not link,
# directly or through the libraries it links, fails the build, and so does QtGui or QtWidgets
# anywhere under core/.
function(orvik_check_includes)
  get_property(libraries GLOBAL PROPERTY ORVIK_LIBRARIES)
  set(table "${CMAKE_BINARY_DIR}/orvik-libraries.txt")
  string(REPLACE ";" "\n" lines "${libraries}")
  file(WRITE ${table} "${lines}\n")
  set(stamp ${CMAKE_BINARY_DIR}/orvik-includes.checked)
  set(checked "")
  foreach(entry ${libraries})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 2 files)
    string(REPLACE "," ";" files "${files}")
    foreach(file ${files})
      list(APPEND checked ${PROJECT_SOURCE_DIR}/${file})
    endforeach()
  endforeach()
  add_custom_command(OUTPUT ${stamp}
                     COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DTABLE=${table}
                             -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
                     COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                     DEPENDS ${checked} ${table} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
                     COMMENT "Checking every include against the libraries' link lines"
                     VERBATIM)
  add_custom_target(orvik_includes ALL DEPENDS ${stamp})
  # Checked before any library is compiled, so a forbidden include stops the build early.
  foreach(entry ${libraries})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 name)
    get_target_property(type ${name} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      add_dependencies(${name} orvik_includes)
    endif()
  endforeach()
endfunction()
