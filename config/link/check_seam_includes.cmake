# Fails when a source of config/ outside config/link includes a header of core/device or
# platform/ipc: the configuration window reaches the mouse and the monitor only through the
# seam (config/link/CfgLink.h). Every library takes the repository root as its include root,
# so the window library's link line alone cannot keep those headers out; this check does.
#
#   cmake -DROOT=<repository> [-DSTAMP=<file to touch when it passes>] -P check_seam_includes.cmake
if(NOT ROOT)
  message(FATAL_ERROR "check_seam_includes: ROOT (the repository folder) is not given")
endif()
file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/config/*.h ${ROOT}/config/*.cpp)
set(found "")
foreach(f IN LISTS sources)
  if(f MATCHES "^config/link/")
    continue()
  endif()
  file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*/)?(core/device|platform/ipc)/")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    string(APPEND found "\n  ${f}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "config/ outside config/link includes core/device or platform/ipc; go through the link "
                      "(config/link/CfgLink.h) instead:${found}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
