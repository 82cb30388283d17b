# Fails when a text the code shows has no finished translation in the .ts: lupdate refreshes a copy
# of it from the code, and every entry it leaves unfinished is listed.
# -DLUPDATE=… -DSOURCE_DIR=… -DFOLDERS=a;b;… -DTS=…/velmora_en.ts -DWORK=<a scratch folder>
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
get_filename_component(name ${TS} NAME)
set(copy ${WORK}/${name})
file(COPY_FILE ${TS} ${copy})
execute_process(COMMAND ${LUPDATE} -no-obsolete -locations none -source-language zh_CN -target-language en
                        ${FOLDERS} -ts ${copy}
                WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(failed)
  message(FATAL_ERROR "lupdate failed:\n${out}")
endif()
file(READ ${copy} ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*(<comment>[^<]*</comment>[ \t\r\n]*)?<translation type=\"unfinished\""
       unfinished "${ts}")
list(LENGTH unfinished count)
if(count GREATER 0)
  set(names "")
  foreach(entry IN LISTS unfinished)
    string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" source "${entry}")
    string(APPEND names "  ${source}\n")
  endforeach()
  message(FATAL_ERROR "${count} text(s) without an English translation in ${name} "
                      "(run the velmora_update_translations target, then translate them):\n${names}")
endif()
# lupdate counts what it found; a count of nothing means the folders were not read.
string(REGEX MATCHALL "<message" messages "${ts}")
list(LENGTH messages total)
if(total LESS 100)
  message(FATAL_ERROR "only ${total} texts found in ${FOLDERS}:\n${out}")
endif()
message(STATUS "${total} texts, all translated")
