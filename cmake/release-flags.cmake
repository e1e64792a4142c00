# What the released kavolt.exe must carry: the same bytes from every build of one
# commit, and PE headers that say which Windows it needs. Included once, before the
# targets are made. The time-date stamp needs nothing here: GNU ld takes it from
# SOURCE_DATE_EPOCH, which scripts/release.sh sets to the commit time.

if(NOT WIN32)
  return()  # native and fuzz builds keep their real paths for debuggers and sanitizers
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # No folder of the build machine in __FILE__ or debug information. GCC tries the last
  # map first, so the longer folder comes last: the build folder usually lies inside
  # the source folder, and the release build puts them side by side.
  set(kavolt_prefix_maps "${CMAKE_SOURCE_DIR}" "${CMAKE_BINARY_DIR}")
  string(LENGTH "${CMAKE_SOURCE_DIR}" kavolt_source_length)
  string(LENGTH "${CMAKE_BINARY_DIR}" kavolt_binary_length)
  if(kavolt_source_length GREATER kavolt_binary_length)
    list(REVERSE kavolt_prefix_maps)
  endif()
  foreach(folder IN LISTS kavolt_prefix_maps)
    add_compile_options("-ffile-prefix-map=${folder}=.")
  endforeach()
endif()

# A stack buffer overrun ends the program instead of running whatever overwrote the
# return address.
if(MINGW)
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong)
endif()

# Windows 8 (6.2) or later: per-monitor DPI and api-ms-win-core-path. With this
# subsystem version an older Windows refuses the program plainly instead of searching
# folders for a DLL it does not have.
if(MINGW)
  add_link_options(-Wl,--major-subsystem-version,6,--minor-subsystem-version,2
                   -Wl,--major-os-version,6,--minor-os-version,2)
elseif(MSVC)
  # The version goes with the subsystem, which CMake passes for WIN32 executables.
  set(CMAKE_CXX_CREATE_WIN32_EXE "/subsystem:windows,6.02")
endif()
