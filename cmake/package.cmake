# `make package` (cpack in the release build): tonagram_VERSION_ARCH.deb for Debian 12.
# The library dependencies come from dpkg-shlibdeps; what the programs load or use at run
# time without linking it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonagram)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts recorded audio (WAV) into MIDI")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tonagram analyses an uncompressed WAV recording against sinusoids tuned to 24 fine\n\
pitches around every note, separates simultaneous notes, and writes the notes as a\n\
Standard MIDI File and a text MIDI file. The desktop program Tonagram (Japanese user\n\
interface) shows the waveform and a piano roll, edits and plays the notes; the console\n\
program Tonagram_batch converts files from the command line.")
set(CPACK_PACKAGE_CONTACT "Tonagram maintainers <maintainers@tonagram.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A General MIDI SoundFont for the built-in synthesizer (both of Debian's provide
# sf2-soundfont-gm) and Qt's platform plugins, without which the window cannot open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "sf2-soundfont-gm, qt6-qpa-plugins")
# WAV playback through GStreamer, a Japanese Gothic font, Qt's own Japanese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-good, fonts-ipafont-gothic | fonts-japanese-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
