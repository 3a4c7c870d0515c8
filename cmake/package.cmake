# The Debian package of the installed layout (app/CMakeLists.txt): `cpack -G DEB`
# in a build configured with CMAKE_INSTALL_PREFIX=/usr (tools/debian/package.sh).
# Its dependencies are what dpkg-shlibdeps finds in the binaries and plug-ins,
# and the two font packages whose faces the skin's layout is measured in.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ornavox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Ornavox developers <developers@ornavox.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinned sound recorder that encodes to MP3 as it records")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Ornavox records whatever the recording input delivers (line in, a
microphone, CD audio, what is playing, or a microphone together with what is
playing), encodes it to MP3 while it records and appends it to a file the
user chose. It pauses and resumes into the same file, plays the result back,
lets the user pick the record source and its level in a mixer panel, shows
the level, and answers three global hotkeys. It records from PulseAudio or
PipeWire.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
