# Debian's compiler and linker flags, every hardening feature on (stack protector, fortified
# functions, relro, bindnow, control-flow protection, PIE), for every build but the sanitizer
# one: the Release build that runs the tests compiles exactly what the Debian package ships, so
# the package's build finds every object already in the compiler cache.
#
# The package's build (debian/rules) hands the flags over in CFLAGS, CXXFLAGS and LDFLAGS, with
# CPPFLAGS appended by debhelper's CMake support; CMake starts its flags from those. Any other
# build asks dpkg-buildflags the same question from the same folder and starts from the same
# answer. Flags chosen on the command line or in CXXFLAGS are left alone.
option(NIGHTWISP_DEBIAN_FLAGS "Compile with Debian's hardened flags from dpkg-buildflags" ON)

function(nightwisp_debian_flag variable result)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            dpkg-buildflags --get ${variable}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${variable} failed (install dpkg-dev, or "
                        "configure with -DNIGHTWISP_DEBIAN_FLAGS=OFF)")
  endif()
  set(${result} "${flags}" PARENT_SCOPE)
endfunction()

if(NIGHTWISP_DEBIAN_FLAGS AND NOT NIGHTWISP_SANITIZE AND NOT DEFINED ENV{CXXFLAGS}
   AND NOT CMAKE_CXX_FLAGS)
  nightwisp_debian_flag(CFLAGS cflags)
  nightwisp_debian_flag(CXXFLAGS cxxflags)
  nightwisp_debian_flag(CPPFLAGS cppflags)
  nightwisp_debian_flag(LDFLAGS ldflags)
  set(CMAKE_C_FLAGS "${cflags} ${cppflags}" CACHE STRING "C compiler flags" FORCE)
  set(CMAKE_CXX_FLAGS "${cxxflags} ${cppflags}" CACHE STRING "C++ compiler flags" FORCE)
  foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS "${ldflags}" CACHE STRING "Linker flags" FORCE)
  endforeach()
endif()
