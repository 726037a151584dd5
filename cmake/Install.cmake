# Install layout: both programs share one program folder, as the programs expect. meridox_sec keeps
# "meridox_sec.ini", "bazy.txt" and the folder "SQL" (saved queries, HTML templates in "SQL/Wzorce")
# beside itself, and upgrade rewrites it in place, so that folder belongs to the administrator who
# runs them. The menu entries and icons follow the freedesktop layout under share/.
set(MERIDOX_PROGRAM_DIR lib/meridox_sec)

install(TARGETS meridox_sec upgrade RUNTIME DESTINATION ${MERIDOX_PROGRAM_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/SQL DESTINATION ${MERIDOX_PROGRAM_DIR})

foreach(icon meridox_sec meridox_sec-upgrade)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${icon}.svg
          DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${icon}.png
          DESTINATION share/icons/hicolor/48x48/apps)
endforeach()

# The menu entries name the installed programs by their full path, known only when installing
# (cmake --install --prefix DIR).
function(meridox_desktop_entry name program)
  install(CODE "
    set(MERIDOX_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/resources/desktop/${name}.desktop.in\")
    set(MERIDOX_DESKTOP_NAME \"${name}.desktop\")
    set(MERIDOX_DESKTOP_FOLDER \"\${CMAKE_INSTALL_PREFIX}/${MERIDOX_PROGRAM_DIR}\")
    set(MERIDOX_DESKTOP_PROGRAM \"${program}\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake\")
  ")
endfunction()
meridox_desktop_entry(meridox_sec meridox_sec)
meridox_desktop_entry(meridox_sec-upgrade upgrade)
