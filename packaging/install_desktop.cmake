# Runs at install time, after the program folder is in place: writes the
# desktop entry with the installed program's absolute path and links the
# programs into the bin folder. Expects QUILLON_INSTALL_DIR,
# QUILLON_DESKTOP_TEMPLATE and QUILLON_LINKED_PROGRAMS to be set.

function(quillon_install_path out relative_or_absolute)
  if(IS_ABSOLUTE "${relative_or_absolute}")
    set(${out} "${relative_or_absolute}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${relative_or_absolute}" PARENT_SCOPE)
  endif()
endfunction()

quillon_install_path(program_folder "${QUILLON_INSTALL_DIR}")
quillon_install_path(bin_folder "${QUILLON_BIN_DIR}")
quillon_install_path(applications_folder "${QUILLON_DATA_DIR}/applications")

# The Exec key quotes the path, so a prefix with blanks works; inside the
# quotes ", `, $ and \ are escaped, and the desktop file's own string rules
# then double every backslash.
set(exec "${program_folder}/quillon")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
set(QUILLON_DESKTOP_EXEC "\"${exec}\"")
set(desktop_file "$ENV{DESTDIR}${applications_folder}/quillon.desktop")
message(STATUS "Installing: ${desktop_file}")
configure_file("${QUILLON_DESKTOP_TEMPLATE}" "${desktop_file}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${desktop_file}")

# Relative links, so that the whole prefix can be moved. The program still
# finds its folder: it follows /proc/self/exe to the real file.
file(MAKE_DIRECTORY "$ENV{DESTDIR}${bin_folder}")
file(RELATIVE_PATH to_programs "${bin_folder}" "${program_folder}")
foreach(program ${QUILLON_LINKED_PROGRAMS})
  set(link "$ENV{DESTDIR}${bin_folder}/${program}")
  message(STATUS "Linking: ${link} -> ${to_programs}/${program}")
  file(REMOVE "${link}")
  file(CREATE_LINK "${to_programs}/${program}" "${link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")
endforeach()
