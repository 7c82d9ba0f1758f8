# Removes what one `cmake --install` put in place, as its install_manifest.txt lists it: every
# file and link of the list (below $DESTDIR when the install was made with one, so give the same
# DESTDIR here), then the program folder
# (<libdir>/vyk) and those of its sub-folders that are left empty. Folders the install shares
# with other software (bin/, share/applications/, the icon theme, udev's rules folder) and
# anything the list does not name stay as they are.
#
#   cmake -DMANIFEST=<build>/install_manifest.txt -P scripts/uninstall.cmake
# or, from a build folder: cmake --build <build> --target uninstall   (sudo for a system prefix)
#
# A later install from the same build folder replaces the manifest: uninstall one prefix before
# installing into another, or keep a copy of its manifest.
if(NOT MANIFEST)
  message(FATAL_ERROR "uninstall: give the install manifest: cmake -DMANIFEST=<build>/install_manifest.txt -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "uninstall: ${MANIFEST} is missing: nothing was installed from this build folder (or it was removed)")
endif()

file(STRINGS "${MANIFEST}" vyk_files)
set(vyk_app_dir "")
set(vyk_removed 0)
foreach(f IN LISTS vyk_files)
  if(f STREQUAL "")
    continue()
  endif()
  set(f "$ENV{DESTDIR}${f}")
  if(EXISTS "${f}" OR IS_SYMLINK "${f}")
    if(IS_DIRECTORY "${f}" AND NOT IS_SYMLINK "${f}")
      message(WARNING "uninstall: ${f} is a folder now; left alone")
      continue()
    endif()
    file(REMOVE "${f}")
    math(EXPR vyk_removed "${vyk_removed} + 1")
  endif()
  # The program folder: the one that holds VykCfg beside config.ini.
  if(f MATCHES "^(.*/vyk)/config\\.ini$")
    set(vyk_app_dir "${CMAKE_MATCH_1}")
  endif()
endforeach()

# The program folder's own sub-folders, deepest first, then the folder itself, where empty.
if(vyk_app_dir AND IS_DIRECTORY "${vyk_app_dir}")
  file(GLOB_RECURSE vyk_dirs LIST_DIRECTORIES true "${vyk_app_dir}/*")
  list(APPEND vyk_dirs "${vyk_app_dir}")
  set(vyk_by_depth "")
  foreach(d IN LISTS vyk_dirs)
    if(IS_DIRECTORY "${d}" AND NOT IS_SYMLINK "${d}")
      string(LENGTH "${d}" n)
      math(EXPR n "100000 - ${n}")
      list(APPEND vyk_by_depth "${n}|${d}")
    endif()
  endforeach()
  list(SORT vyk_by_depth)
  foreach(entry IN LISTS vyk_by_depth)
    string(REGEX REPLACE "^[0-9]+\\|" "" d "${entry}")
    file(GLOB left "${d}/*" "${d}/.*")
    if(NOT left)
      file(REMOVE_RECURSE "${d}")
    endif()
  endforeach()
endif()
message(STATUS "uninstall: ${vyk_removed} files removed")
