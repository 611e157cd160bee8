# Copies a language library's resource script with every second string of its
# string table left out (the first is kept), for the tests of a translation that
# lacks texts.
#
#   cmake -DINPUT=zpklng.rc -DOUTPUT=half/zpklng.rc -P half-strings.cmake
file(STRINGS "${INPUT}" lines)
set(script "")
set(strings 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^  IDS_")
    math(EXPR strings "${strings} + 1")
    math(EXPR second "${strings} % 2")
    if(second EQUAL 0)
      continue()
    endif()
  endif()
  string(APPEND script "${line}\n")
endforeach()
file(WRITE "${OUTPUT}" "${script}")
