# What the product ships of this program, laid out by `cmake --install` and packed by
# `cpack -G ZIP`: Uninstall.exe without debug information, the help file and a folder
# per language. The debug information stays in the build's release folder, beside
# the shipped copy, and installs only as the component `debug`.

# The program waits on the file system, not on its code: it is built for size, with
# debug information that the shipped copy leaves out.
target_compile_options(uninstall_core PRIVATE $<$<CONFIG:Release>:-Os> -g)
target_compile_options(Uninstall PRIVATE $<$<CONFIG:Release>:-Os> -g)
target_link_options(Uninstall PRIVATE -Wl,--gc-sections)

find_program(MINGW_OBJCOPY x86_64-w64-mingw32-objcopy REQUIRED)
set(RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(RELEASE_PROGRAM ${RELEASE_DIR}/Uninstall.exe)
set(RELEASE_DEBUG_FILE ${RELEASE_DIR}/Uninstall.exe.debug)
# The debug link holds the debug file's name and checksum, so both are written in
# the release folder.
add_custom_command(OUTPUT ${RELEASE_PROGRAM} ${RELEASE_DEBUG_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${RELEASE_DIR}
  COMMAND ${MINGW_OBJCOPY} --only-keep-debug $<TARGET_FILE:Uninstall> ${RELEASE_DEBUG_FILE}
  COMMAND ${CMAKE_COMMAND} -E chdir ${RELEASE_DIR}
          ${MINGW_OBJCOPY} --strip-all --add-gnu-debuglink=Uninstall.exe.debug
          $<TARGET_FILE:Uninstall> ${RELEASE_PROGRAM}
  DEPENDS Uninstall
  COMMENT "Separating the debug information of Uninstall.exe"
  VERBATIM)
add_custom_target(release_program ALL DEPENDS ${RELEASE_PROGRAM} ${RELEASE_DEBUG_FILE})

install(PROGRAMS ${RELEASE_PROGRAM} DESTINATION .)
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/bramix.chm DESTINATION .)
install(FILES ${RELEASE_DEBUG_FILE} DESTINATION . COMPONENT debug EXCLUDE_FROM_ALL)

# Each language ships as lang/<language>/ with its library zpklng.dll and its file
# uninstall.lng, taken from lang/<language>/ of the build folder: the rules that build
# a translation put them there. The folder ships even while they are missing.
set(RELEASE_LANGUAGES english)
foreach(language ${RELEASE_LANGUAGES})
  set(language_build_dir ${CMAKE_BINARY_DIR}/lang/${language})
  install(DIRECTORY DESTINATION lang/${language})
  install(FILES ${language_build_dir}/zpklng.dll ${language_build_dir}/uninstall.lng
          DESTINATION lang/${language} OPTIONAL)
endforeach()

# The layout of the package and the release program's size and imports.
add_test(NAME check_release
         COMMAND ${CMAKE_SOURCE_DIR}/tools/check-release.sh ${CMAKE_BINARY_DIR})

file(STRINGS ${CMAKE_SOURCE_DIR}/src/resources/version.rc file_version REGEX "^FILEVERSION ")
string(REGEX REPLACE "^FILEVERSION ([0-9]+),([0-9]+),([0-9]+),([0-9]+).*" "\\1.\\2.\\3.\\4"
       CPACK_PACKAGE_VERSION "${file_version}")
set(CPACK_PACKAGE_NAME Uninstall)
set(CPACK_GENERATOR ZIP)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
