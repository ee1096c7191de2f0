# The floors of the source tree: a folder includes only from the folders
# below it, and the lower floors stay free of Qt. Run at every build (target
# velkaro_floors) and as a test, so a wrong include fails the build:
#   cmake -DSOURCE_DIR=<top of the tree> -P cmake/CheckFloors.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckFloors: SOURCE_DIR is not set")
endif()

# folder -> the folders its sources may include from (besides itself).
set(floor_text "")
set(floor_model text)
set(floor_exchange text model)
set(floor_device text model)
set(floor_settings text model device)
set(floor_view text model exchange device settings)
set(floor_app text model exchange device settings view)
set(floor_cli text model exchange device settings)
set(floor_sim text model settings)
set(floors text model exchange device settings view app cli sim)
# Standard library only (no Qt header) on these floors.
set(without_qt text model exchange)

set(faults "")
foreach(folder ${floors})
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${includes})
      if(line MATCHES "#[ \t]*include[ \t]*\"([A-Za-z0-9_]+)/")
        set(used ${CMAKE_MATCH_1})
        if(NOT used STREQUAL folder AND NOT used IN_LIST floor_${folder})
          list(APPEND faults "${folder}/ may not use ${used}/: ${source}: ${line}")
        endif()
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
