# Fails when the sources hold a text that the translation lacks or leaves unfinished.
# Runs lupdate, as the update_translations target does, on a copy of the .ts file.
#   cmake -DLUPDATE=... -DPROJECT=<lupdate project .cmake> -DWORK=<folder> [-DOPTIONS=...] -P
include(${PROJECT}) # lupdate_sources, lupdate_include_paths, lupdate_translations
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(include_options "")
foreach(path IN LISTS lupdate_include_paths)
    list(APPEND include_options -I${path})
endforeach()
set(failed "")
foreach(ts IN LISTS lupdate_translations)
    get_filename_component(name ${ts} NAME)
    file(COPY ${ts} DESTINATION ${WORK})
    execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${include_options} ${lupdate_sources}
                            -ts ${WORK}/${name}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "lupdate failed on ${name}")
    endif()
    file(READ ${WORK}/${name} content)
    # Each message on one line, so that a failing one can be shown whole.
    string(REPLACE "\n" " " content "${content}")
    string(REPLACE "</message>" "</message>\n" content "${content}")
    string(REGEX MATCHALL "[^\n]*(type=\"unfinished\"|<translation></translation>|<translation/>|<numerusform></numerusform>|<numerusform/>)[^\n]*"
           unfinished "${content}")
    foreach(message IN LISTS unfinished)
        string(REGEX REPLACE ".*<source>(.*)</source>.*" "\\1" source "${message}")
        list(APPEND failed "${name}: ${source}")
    endforeach()
endforeach()
if(failed)
    list(JOIN failed "\n  " failed)
    message(FATAL_ERROR "Texts without a finished translation (build update_translations, then "
                        "translate them):\n  ${failed}")
endif()
