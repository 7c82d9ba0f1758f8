# Run by cmake --install (install(SCRIPT), after the program folder is in place): everything
# of the install that depends on the prefix, computed from the prefix given now, at install
# time, which may differ from the one given when the build was configured:
#  - the menu entries of both programs, whose Exec names the installed programs;
#  - the links <bindir>/VykCfg and <bindir>/VykMon to the program folder;
#  - the monitor's autostart entry, in <sysconfdir>/xdg/autostart (sysconfdir is /etc for the
#    /usr prefix and <prefix>/etc for every other), or in VYK_INSTALL_AUTOSTART_DIR when the
#    build was configured with one (for example the user's own ~/.config/autostart);
#  - for the /usr prefix only, the udev rule in udev's own rules folder.
# Every file goes through file(INSTALL), so it honours DESTDIR and is listed in
# install_manifest.txt (which the uninstall target reads).
#
# Set by the install(CODE) before this script (resources/desktop/CMakeLists.txt): VYK_SRC_DIR,
# VYK_APPDIR, VYK_BINDIR, VYK_DATADIR, VYK_SYSCONFDIR, VYK_AUTOSTART_DIR,
# VYK_UDEV_RULES_DIR.

# A folder of the install: relative ones lie below the prefix.
function(vyk_install_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# A program path as one argument of a desktop entry's Exec key: quoted when it holds a reserved
# character, with ", `, $ and \ escaped inside the quotes and every \ doubled again for the
# string value; % is doubled so it is no field code.
function(vyk_exec_argument out path)
  set(arg "${path}")
  string(REPLACE "%" "%%" arg "${arg}")
  if(arg MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    string(REPLACE "\"" "\\\"" arg "${arg}")
    string(REPLACE "`" "\\`" arg "${arg}")
    string(REPLACE "$" "\\$" arg "${arg}")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    set(arg "\"${arg}\"")
  endif()
  set(${out} "${arg}" PARENT_SCOPE)
endfunction()

string(REGEX REPLACE "/+$" "" vyk_prefix "${CMAKE_INSTALL_PREFIX}")
vyk_install_path(vyk_app "${VYK_APPDIR}")
vyk_install_path(vyk_bin "${VYK_BINDIR}")
vyk_install_path(vyk_data "${VYK_DATADIR}")

# Menu entries (Exec without DESTDIR: where the programs run from once the files are in place).
vyk_exec_argument(VYK_CFG_EXEC "${vyk_app}/VykCfg")
vyk_exec_argument(VYK_MON_EXEC "${vyk_app}/VykMon")
# The files are made in a private temporary folder, not in the build folder, which the user
# who installs may not be allowed to write.
if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(vyk_tmp "$ENV{TMPDIR}")
else()
  set(vyk_tmp /tmp)
endif()
string(RANDOM LENGTH 12 vyk_tag)
set(VYK_STAGE_DIR "${vyk_tmp}/vyk-install-${vyk_tag}")
configure_file("${VYK_SRC_DIR}/vykcfg.desktop.in" "${VYK_STAGE_DIR}/applications/vykcfg.desktop" @ONLY)
configure_file("${VYK_SRC_DIR}/vykmon.desktop.in" "${VYK_STAGE_DIR}/applications/vykmon.desktop" @ONLY)
configure_file("${VYK_SRC_DIR}/vykmon-autostart.desktop.in" "${VYK_STAGE_DIR}/autostart/vykmon.desktop" @ONLY)
file(INSTALL DESTINATION "${vyk_data}/applications" TYPE FILE
     FILES "${VYK_STAGE_DIR}/applications/vykcfg.desktop" "${VYK_STAGE_DIR}/applications/vykmon.desktop")

# The links in bin/, relative so that the installed tree can be moved as a whole.
file(RELATIVE_PATH vyk_link_target "${vyk_bin}" "${vyk_app}")
file(MAKE_DIRECTORY "${VYK_STAGE_DIR}/bin")
foreach(prog VykCfg VykMon)
  file(CREATE_LINK "${vyk_link_target}/${prog}" "${VYK_STAGE_DIR}/bin/${prog}" SYMBOLIC)
  file(INSTALL DESTINATION "${vyk_bin}" TYPE PROGRAM FILES "${VYK_STAGE_DIR}/bin/${prog}")
endforeach()

# The autostart entry.
if(VYK_AUTOSTART_DIR)
  set(vyk_autostart "${VYK_AUTOSTART_DIR}")
elseif(IS_ABSOLUTE "${VYK_SYSCONFDIR}")
  set(vyk_autostart "${VYK_SYSCONFDIR}/xdg/autostart")
elseif(vyk_prefix STREQUAL "/usr" OR vyk_prefix STREQUAL "")
  set(vyk_autostart "/etc/xdg/autostart")
else()
  set(vyk_autostart "${vyk_prefix}/${VYK_SYSCONFDIR}/xdg/autostart")
endif()
file(INSTALL DESTINATION "${vyk_autostart}" TYPE FILE FILES "${VYK_STAGE_DIR}/autostart/vykmon.desktop")

# The udev rule: read by udev only from its own folders, so it is put there for the /usr prefix
# alone. Other prefixes keep it in the program folder (udev/), from where the README's command
# copies it into /etc/udev/rules.d.
if(vyk_prefix STREQUAL "/usr" AND VYK_UDEV_RULES_DIR)
  file(INSTALL DESTINATION "${VYK_UDEV_RULES_DIR}" TYPE FILE FILES "${VYK_SRC_DIR}/../udev/70-vyk-mouse.rules")
endif()

file(REMOVE_RECURSE "${VYK_STAGE_DIR}")
