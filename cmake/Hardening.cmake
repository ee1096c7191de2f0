# The programs are built as Debian builds its packages: with the hardening
# that dpkg-buildflags gives (fortified string and memory functions, the
# stack protector, relocations read-only and bound at start). Only the
# hardening options are taken, not its optimisation or warnings, so that
# the build types keep their meaning. Not with sanitizers, which replace
# the checked functions, and not at -O0, where fortifying does nothing but
# warn.
option(VELKARO_HARDENING "Build with the hardening options of dpkg-buildflags" ON)
find_program(VELKARO_DPKG_BUILDFLAGS dpkg-buildflags)
if(VELKARO_HARDENING AND VELKARO_DPKG_BUILDFLAGS AND NOT VELKARO_SANITIZE AND NOT VELKARO_FUZZ)
  set(velkaro_hardening_pattern "^(-fstack-protector|-fstack-clash-protection|-fcf-protection|-D_FORTIFY_SOURCE=|-Wl,-z,)")
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${VELKARO_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE velkaro_flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE velkaro_result)
    if(NOT velkaro_result EQUAL 0)
      continue()
    endif()
    separate_arguments(velkaro_flags UNIX_COMMAND "${velkaro_flags}")
    foreach(flag ${velkaro_flags})
      if(NOT flag MATCHES "${velkaro_hardening_pattern}")
        continue()
      endif()
      if(kind STREQUAL "LDFLAGS")
        add_link_options(${flag})
      elseif(flag MATCHES "^-D_FORTIFY_SOURCE")
        add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
      else()
        add_compile_options(${flag})
      endif()
    endforeach()
  endforeach()
endif()

# Stripped as dh_strip strips: without the compiler's .comment and .note
# sections, which a package has no use for.
if(CMAKE_STRIP)
  set(VELKARO_SYSTEM_STRIP ${CMAKE_STRIP})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/strip.sh.in ${PROJECT_BINARY_DIR}/strip-as-debian.sh
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
    @ONLY)
  set(CMAKE_STRIP ${PROJECT_BINARY_DIR}/strip-as-debian.sh)
endif()
