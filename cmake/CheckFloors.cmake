# The floors of the source tree: a folder includes only from the folders
# below it, and the lower floors stay free of Qt. Run at every build (target
# velkaro_floors) and as a test, so a wrong include fails the build:
#   cmake -DSOURCE_DIR=<top of the tree> -DFLOORS=<build>/floors.cmake -P cmake/CheckFloors.cmake
# FLOORS is written at configure time from the targets' link libraries
# (cmake/Floors.cmake): floor_<folder> lists the folders <folder> may use.
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT FLOORS)
  message(FATAL_ERROR "CheckFloors: SOURCE_DIR and FLOORS must be set")
endif()
include(${FLOORS})

set(faults "")
foreach(folder ${floors})
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${includes})
      # The folder an include names: "dir/x.h" and <dir/x.h> from the top of
      # the tree, "../dir/x.h" from the including file's folder.
      set(used "")
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(path ${CMAKE_MATCH_1})
        if(path MATCHES "^\\.")
          cmake_path(SET path NORMALIZE "${folder}/${path}")
        endif()
        if(path MATCHES "^([^/]+)/")
          set(used ${CMAKE_MATCH_1})
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<([^/>]+)/" AND CMAKE_MATCH_1 IN_LIST floors)
        set(used ${CMAKE_MATCH_1})
      endif()
      if(used AND NOT used STREQUAL folder AND NOT used IN_LIST floor_${folder})
        list(APPEND faults "${folder}/ may not use ${used}/: ${source}: ${line}")
      elseif(folder IN_LIST without_qt AND line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)")
        list(APPEND faults "${folder}/ stays free of Qt: ${source}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Includes against the floors of the tree:\n${text}")
endif()
