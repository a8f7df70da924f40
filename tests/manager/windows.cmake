# Windows build only (included by CMakeLists.txt beside this file).
kickora_program_path(TUNEDECK_PROGRAM tunedeck)

# gui_tests(<driver target> <group>...): one test per group of the driver.
# The groups share a Wine prefix of their own and take turns: the driver
# tells message box icons apart by their colour on the shared screen, where
# another group's windows could cover them. Each group runs under Xvfb when
# no display is set and stops the prefix's wineserver when it ends.
function(gui_tests driver)
  foreach(group ${ARGN})
    add_test(NAME tunedeck_gui_${group}
      COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/gui/run-gui-tests.sh
        ${CMAKE_BINARY_DIR}/wine-prefixes/tunedeck-gui
        ${PROJECT_SOURCE_DIR}/cmake/wine-run
        $<TARGET_FILE:${driver}> --gtest_filter=${group}.*)
    set_tests_properties(tunedeck_gui_${group} PROPERTIES
      TIMEOUT 600 LABELS gui RESOURCE_LOCK tunedeck-gui)
  endforeach()
endfunction()

# The platform layer against the real Win32 calls.
add_executable(tunedeck_win32_tests
  win32/importer_platform_test.cpp win32/platform_test.cpp win32/process_test.cpp)
target_compile_definitions(tunedeck_win32_tests PRIVATE TUNEDECK_PROGRAM="${TUNEDECK_PROGRAM}")
target_link_libraries(tunedeck_win32_tests PRIVATE tunedeck_win32 GTest::gtest_main)
add_dependencies(tunedeck_win32_tests tunedeck)
add_test(NAME tunedeck_win32_tests COMMAND tunedeck_win32_tests)

# The driver of our own that works the programs' windows from outside,
# built once for the end-to-end tests, the measurements and the release test.
add_library(gui_test_driver STATIC gui/driver.cpp gui/driver.h gui/driver_wide.cpp)
target_include_directories(gui_test_driver PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(gui_test_driver PUBLIC comctl32 advapi32 gdi32 user32)

# End-to-end tests of tunedeck.exe.
add_executable(tunedeck_gui_tests gui/tunedeck_gui_test.cpp)
target_compile_definitions(tunedeck_gui_tests PRIVATE
  TUNEDECK_PROGRAM="${TUNEDECK_PROGRAM}"
  TUNEDECK_BLU_JPG="Z:$<SHELL_PATH:${CMAKE_CURRENT_SOURCE_DIR}/gui/blu.jpg>")
target_link_libraries(tunedeck_gui_tests PRIVATE gui_test_driver GTest::gtest_main)
add_dependencies(tunedeck_gui_tests tunedeck)

gui_tests(tunedeck_gui_tests StartupSources SongListCommands MainWindowLook)

# The export dialog, the help file and the About box end to end, with the
# real converter beside the program and a stand-in for slow or odd programs.
kickora_program_path(TONEPAK_PROGRAM_FOR_GUI tonepak)
add_executable(tunedeck_stand_in gui/stand_in.cpp)
kickora_program_path(STAND_IN_PROGRAM tunedeck_stand_in)
add_executable(tunedeck_export_gui_tests gui/program_folder_gui.h
  gui/export_gui_test.cpp gui/about_help_gui_test.cpp)
target_compile_definitions(tunedeck_export_gui_tests PRIVATE
  TUNEDECK_PROGRAM="${TUNEDECK_PROGRAM}"
  TONEPAK_PROGRAM="${TONEPAK_PROGRAM_FOR_GUI}"
  STAND_IN_PROGRAM="${STAND_IN_PROGRAM}")
target_link_libraries(tunedeck_export_gui_tests PRIVATE gui_test_driver test_support kickora_version GTest::gtest_main)
add_dependencies(tunedeck_export_gui_tests tunedeck tonepak tunedeck_stand_in)
gui_tests(tunedeck_export_gui_tests ExportDialog AboutAndHelp)

# Not a test: measures tunedeck's processor time while it waits for a
# ten-second converter (see the program's header).
add_executable(tunedeck_shellstop_cpu gui/shellstop_cpu.cpp)
target_link_libraries(tunedeck_shellstop_cpu PRIVATE gui_test_driver test_support)
add_dependencies(tunedeck_shellstop_cpu tunedeck tunedeck_stand_in)
target_compile_definitions(tunedeck_win32_tests PRIVATE STAND_IN_PROGRAM="${STAND_IN_PROGRAM}")
add_dependencies(tunedeck_win32_tests tunedeck_stand_in)

# Not a test: opens tunedeck's dialogs from outside for screenshots.
add_executable(tunedeck_open_dialog gui/open_dialog.cpp)
target_link_libraries(tunedeck_open_dialog PRIVATE gui_test_driver)

# Stand-ins for the importer with its window contract: one that converts
# (a copy of the input), one that never opens its window, one that hangs.
foreach(variant standin:0 nowindow:1 hang:2)
  string(REPLACE ":" ";" parts ${variant})
  list(GET parts 0 name)
  list(GET parts 1 mode)
  add_executable(tunegrab_${name} WIN32 gui/tunegrab_standin.cpp)
  target_include_directories(tunegrab_${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(tunegrab_${name} PRIVATE kickora_base)
  target_compile_definitions(tunegrab_${name} PRIVATE STANDIN_MODE=${mode})
endforeach()

# "&Make new song..." end to end, with the stand-ins.
add_executable(addnew_gui_tests gui/addnew_gui_test.cpp)
target_compile_definitions(addnew_gui_tests PRIVATE
  TUNEDECK_PROGRAM="${TUNEDECK_PROGRAM}"
  TUNEGRAB_STANDIN="Z:$<TARGET_FILE:tunegrab_standin>"
  TUNEGRAB_NOWINDOW="Z:$<TARGET_FILE:tunegrab_nowindow>")
target_link_libraries(addnew_gui_tests PRIVATE gui_test_driver GTest::gtest_main)
add_dependencies(addnew_gui_tests tunedeck tunegrab_standin tunegrab_nowindow)
gui_tests(addnew_gui_tests MakeNewSong)
target_compile_definitions(tunedeck_win32_tests PRIVATE
  TUNEGRAB_STANDIN="Z:$<TARGET_FILE:tunegrab_standin>"
  TUNEGRAB_HANG="Z:$<TARGET_FILE:tunegrab_hang>")
add_dependencies(tunedeck_win32_tests tunegrab_standin tunegrab_hang)

# Works another program's window from a script (demonstrations, screenshots).
add_executable(uitool gui/uitool.cpp)

# With the real importer: a WAV and an MP3 made into songs through the
# dialog on the demo game folder, and exported back by tonepak.exe.
if(TARGET tunegrab)
  kickora_program_path(TUNEGRAB_PROGRAM tunegrab)
  kickora_program_path(TONEPAK_WIN_PROGRAM tonepak)
  set(ADDNEW_INPUTS ${CMAKE_CURRENT_BINARY_DIR}/addnew-inputs)
  target_compile_definitions(addnew_gui_tests PRIVATE
    TUNEGRAB_PROGRAM="${TUNEGRAB_PROGRAM}" TONEPAK_PROGRAM="${TONEPAK_WIN_PROGRAM}"
    ADDNEW_INPUTS="Z:$<SHELL_PATH:${ADDNEW_INPUTS}>")
  target_link_libraries(addnew_gui_tests PRIVATE test_support)
  add_dependencies(addnew_gui_tests tunegrab tonepak)
  add_test(NAME tunedeck_gui_addnew_inputs
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/gui/make-addnew-inputs.sh ${PROJECT_SOURCE_DIR}/scripts ${ADDNEW_INPUTS})
  set_tests_properties(tunedeck_gui_addnew_inputs PROPERTIES FIXTURES_SETUP addnew_inputs)
  gui_tests(addnew_gui_tests MakeNewSongWithTunegrab)
  set_tests_properties(tunedeck_gui_MakeNewSongWithTunegrab PROPERTIES FIXTURES_REQUIRED addnew_inputs)

  # Music files and an export destination named in other scripts, on a
  # Western code page: Wine takes its ANSI code page from the locale (1252
  # for C) and its Unix file names' encoding from the locale's (UTF-8).
  add_executable(any_name_gui_tests gui/any_name_gui_test.cpp)
  target_compile_definitions(any_name_gui_tests PRIVATE
    TUNEDECK_PROGRAM="${TUNEDECK_PROGRAM}" TUNEGRAB_PROGRAM="${TUNEGRAB_PROGRAM}"
    TONEPAK_PROGRAM="${TONEPAK_WIN_PROGRAM}" ADDNEW_INPUTS="Z:$<SHELL_PATH:${ADDNEW_INPUTS}>")
  target_link_libraries(any_name_gui_tests PRIVATE gui_test_driver GTest::gtest_main)
  add_dependencies(any_name_gui_tests tunedeck tunegrab tonepak)
  gui_tests(any_name_gui_tests AnyName)
  set_tests_properties(tunedeck_gui_AnyName PROPERTIES FIXTURES_REQUIRED addnew_inputs
    ENVIRONMENT "LC_ALL=C.UTF-8;LANG=C.UTF-8")
endif()

# Playing and removing songs end to end, with the real converter, on a
# null sound device: an ALSA configuration that Wine's sound driver reads.
# An empty one gives no device at all.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/null-sound.conf
  "include \"/usr/share/alsa/alsa.conf\"\npcm.!default { type null }\n")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/no-sound.conf "")
add_executable(tunedeck_player_gui_tests gui/program_folder_gui.h
  gui/player_gui_test.cpp gui/song_list_gui_test.cpp)
target_compile_definitions(tunedeck_player_gui_tests PRIVATE
  TUNEDECK_PROGRAM="${TUNEDECK_PROGRAM}"
  TONEPAK_PROGRAM="${TONEPAK_PROGRAM_FOR_GUI}")
target_link_libraries(tunedeck_player_gui_tests PRIVATE gui_test_driver test_support GTest::gtest_main winmm)
add_dependencies(tunedeck_player_gui_tests tunedeck tonepak)
gui_tests(tunedeck_player_gui_tests SongPlayer SongPlayerWithoutSound SongListWindow)
set_tests_properties(tunedeck_gui_SongPlayer PROPERTIES
  ENVIRONMENT "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/null-sound.conf")
set_tests_properties(tunedeck_gui_SongPlayerWithoutSound PROPERTIES
  ENVIRONMENT "ALSA_CONFIG_PATH=${CMAKE_CURRENT_BINARY_DIR}/no-sound.conf")

# Not a test: times the player from Enter to the first sound and measures
# tunedeck's processor time while a song plays (scripts/measure-player.sh).
add_executable(tunedeck_player_bench gui/player_bench.cpp)
target_link_libraries(tunedeck_player_bench PRIVATE gui_test_driver test_support winmm)
add_dependencies(tunedeck_player_bench tunedeck tonepak)
# Not a test: times the export of ten songs at once (scripts/bench-export-songs.sh).
add_executable(tunedeck_export_bench gui/export_bench.cpp)
target_link_libraries(tunedeck_export_bench PRIVATE gui_test_driver test_support)
add_dependencies(tunedeck_export_bench tunedeck tonepak)

# Both programs' windows at 96 and at 144 DPI, opened in-process (with the
# manager's resources and manifest) in a Wine prefix of the test's own,
# where it sets LogPixels before each measuring run.
if(TARGET tunegrab_window)
  add_executable(tunedeck_dpi_gui_tests gui/dpi_layout_test.cpp ${PROJECT_SOURCE_DIR}/manager/win32/tunedeck.rc)
  target_link_libraries(tunedeck_dpi_gui_tests PRIVATE tunedeck_windows tunegrab_window kickora_version GTest::gtest)
  add_test(NAME tunedeck_gui_DpiLayout
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/gui/run-gui-tests.sh
      ${CMAKE_BINARY_DIR}/wine-prefixes/dpi-layout
      ${PROJECT_SOURCE_DIR}/cmake/wine-run
      $<TARGET_FILE:tunedeck_dpi_gui_tests>)
  # Its dialogs open on the screen the other groups read message boxes from.
  set_tests_properties(tunedeck_gui_DpiLayout PROPERTIES TIMEOUT 600 LABELS gui RESOURCE_LOCK tunedeck-gui)
endif()
