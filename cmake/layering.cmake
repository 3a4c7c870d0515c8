# Which layer may include what, checked when the build is configured:
# - the window's logic (ui/ outside its front ends' folders) includes no
#   toolkit or platform header, nor a backend's or a front end's;
# - nothing below the program entries (app/) includes app/.
function(ornavox_forbid_includes folder pattern why)
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]${pattern}")
    if(includes)
      message(FATAL_ERROR "${file} ${why}: ${includes}")
    endif()
  endforeach()
endfunction()

set(ornavox_system_headers "(Q[A-Za-z]|qt|windows|win|commctrl|mmsystem|mmdeviceapi|audioclient|objbase|X11/|xcb/|pulse/|mpg123|lame|dlfcn|unistd|sys/|gio/|dbus)")
ornavox_forbid_includes(ui "(${ornavox_system_headers}|ui/qt/|ui/win32/|platform/[a-z0-9_]+/)"
                        "belongs to the toolkit-free window logic but includes a toolkit, platform or backend header")
foreach(folder base recording recording/lame_enc mixer platform platform/fake platform/noop platform/pulse platform/qt
               platform/win32 platform/x11 platform/portal ui ui/qt ui/win32)
  ornavox_forbid_includes(${folder} "\"?app/" "lies below the program entries but includes app/")
endforeach()
