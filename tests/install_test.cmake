# Installs the build into a fresh prefix and checks the layout of a desktop
# program. Run by CTest with -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file
    lib/ornavox/ornavox lib/ornavox/liblame_enc.so lib/ornavox/pulse_backend.so lib/ornavox/ornavox.html lib/ornavox/skin/background.jpg
    lib/ornavox/skin/fonts.conf lib/ornavox/installed.txt bin/ornavox share/applications/ornavox.desktop
    share/icons/hicolor/16x16/apps/ornavox.png share/icons/hicolor/256x256/apps/ornavox.png
    share/metainfo/ornavox.metainfo.xml share/man/man1/ornavox.1.gz share/doc/ornavox/copyright)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/ornavox.desktop entry)
if(NOT entry MATCHES "Exec=ornavox" OR NOT entry MATCHES "Icon=ornavox")
  message(FATAL_ERROR "the menu entry does not start ornavox with its icon")
endif()
file(REMOVE_RECURSE ${PREFIX})
