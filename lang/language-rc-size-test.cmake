# A SIZE line in a language file scales its dialog in the language library as the
# program scales the dialog at run time: the dialog's size and every control's
# position and size; the other dialogs keep their built-in layout.
#
#   cmake -DSOURCE_DIR=<top of the project> -DWORK_DIR=<scratch folder> -P language-rc-size-test.cmake

file(READ "${SOURCE_DIR}/lang/english/uninstall.lng" english)
string(REPLACE ":DIALOG SETUPDLG\n" ":DIALOG SETUPDLG\nSIZE 150*120\n" sized "${english}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/sized.lng" "${sized}")
execute_process(COMMAND ${CMAKE_COMMAND} -DLANGUAGE_FILE=${WORK_DIR}/sized.lng
                        -DRESOURCES=${SOURCE_DIR}/src/resources -DOUTPUT=${WORK_DIR}/sized.rc
                        -P ${SOURCE_DIR}/lang/language-rc.cmake
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the library's resource script was not made")
endif()
file(READ "${WORK_DIR}/sized.rc" script)

set(expected
  "SETUPDLG DIALOGEX 15, 29, 496, 302"
  "PUSHBUTTON \"&?\", IDHELP, 253, 279, 105, 16"
  "SETUPCONTEXTITEMS DIALOGEX 42, 51, 433, 213"
  "PUSHBUTTON \"&?\", IDHELP, 253, 191, 50, 14")
foreach(line IN LISTS expected)
  string(FIND "${script}" "${line}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "no line: ${line}")
  endif()
endforeach()
