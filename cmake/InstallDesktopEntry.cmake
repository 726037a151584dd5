# Writes one menu entry at install time. In: MERIDOX_DESKTOP_TEMPLATE, MERIDOX_DESKTOP_NAME,
# MERIDOX_DESKTOP_FOLDER (the installed program folder), MERIDOX_DESKTOP_PROGRAM (its file name).

# Exec holds the program as one quoted argument: inside the quotes \, ", ` and $ are escaped with a
# backslash, % is doubled, and the entry's string escaping doubles every backslash once more.
set(exec "${MERIDOX_DESKTOP_FOLDER}/${MERIDOX_DESKTOP_PROGRAM}")
string(REPLACE "\\" "\\\\" exec "${exec}")
foreach(special "\"" "`" "$")
  string(REPLACE "${special}" "\\${special}" exec "${exec}")
endforeach()
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\\" "\\\\" folder "${MERIDOX_DESKTOP_FOLDER}")

set(PROGRAM "${exec}")
set(FOLDER "${folder}")
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/${MERIDOX_DESKTOP_NAME}")
message(STATUS "Installing: ${target}")
configure_file("${MERIDOX_DESKTOP_TEMPLATE}" "${target}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
