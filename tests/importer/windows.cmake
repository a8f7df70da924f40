# Windows build only (included by CMakeLists.txt beside this file).
# End-to-end tests: a driver of our own works tunegrab.exe from outside; a
# script on the Linux side makes the inputs with ffmpeg and lame and checks
# the new songs against ffmpeg's decode.
add_executable(tunegrab_driver e2e/tunegrab_driver.cpp)
target_include_directories(tunegrab_driver PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(tunegrab_driver tunegrab tonepak)

foreach(case wav16_44100_stereo wav24_48000_mono wav_float mp3_cbr128_stereo mp3_vbr mp3_22050_mono mp3_11025_stereo mp3_id3v2
             text_named_mp3 truncated_wav m4a_aac flac ogg_vorbis opus aiff flac_51 no_mf_wav no_mf_mp3 no_mf_flac no_mf_m4a
             text_named_m4a)
  add_test(NAME tunegrab_e2e_${case}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run-e2e.sh ${case}
      ${CMAKE_BINARY_DIR}/wine-prefixes/tunegrab-e2e ${PROJECT_SOURCE_DIR}/cmake/wine-run
      $<TARGET_FILE:tunegrab_driver> $<TARGET_FILE:tunegrab> $<TARGET_FILE:tonepak>
      ${PROJECT_SOURCE_DIR}/demo/kickoff.str ${CMAKE_CURRENT_BINARY_DIR}/e2e-work)
  set_tests_properties(tunegrab_e2e_${case} PROPERTIES TIMEOUT 300 LABELS gui RESOURCE_LOCK tunegrab-e2e)
endforeach()
