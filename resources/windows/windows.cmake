# The program for Windows: one static vindre.exe with its icon, version information
# and manifest. Included by the top-level CMakeLists.txt when cross-building.

set_target_properties(vindre PROPERTIES WIN32_EXECUTABLE ON)

# The icon, packed from the SVG's drawings at the sizes Windows shows: the title
# bar, the task bar and Explorer at 100 to 250 %.
find_program(ICOTOOL icotool REQUIRED)
set(vindre_icon_pngs)
foreach(size 16 20 24 32 40 48 64 256)
    vindre_draw_icon(${size} png)
    list(APPEND vindre_icon_pngs ${png})
endforeach()
set(vindre_icon ${CMAKE_CURRENT_BINARY_DIR}/vindre.ico)
add_custom_command(OUTPUT ${vindre_icon}
    COMMAND ${ICOTOOL} --create --output=${vindre_icon} ${vindre_icon_pngs}
    DEPENDS ${vindre_icon_pngs} VERBATIM)

# Four 16-bit numbers, as the version resource and the manifest want them.
set(vindre_version_commas "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0")
set(vindre_file_version "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
set(vindre_manifest ${CMAKE_CURRENT_BINARY_DIR}/vindre.exe.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vindre.exe.manifest ${vindre_manifest} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vindre.rc.in ${CMAKE_CURRENT_BINARY_DIR}/vindre.rc @ONLY)
target_sources(vindre PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/vindre.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/vindre.rc PROPERTIES
    OBJECT_DEPENDS "${vindre_icon};${vindre_manifest}")

# Qt's own texts (the colour dialog, the standard buttons) in Japanese: Qt's translation
# as Debian's qt6-translations-l10n ships it, carried inside the program.
find_file(VINDRE_QTBASE_JA qtbase_ja.qm PATHS /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set_source_files_properties(${VINDRE_QTBASE_JA} PROPERTIES QT_RESOURCE_ALIAS qtbase_ja.qm)
qt_add_resources(vindre qt_translations PREFIX /translations FILES ${VINDRE_QTBASE_JA})
