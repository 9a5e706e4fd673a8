# fer_assemble_mes(OUTPUT <out.MES> SOURCE <src.mes> [CHARSET gb2312|sjis]
#                  [TARGET <name>] [DEPENDS <files>...])
#
# Adds a build rule that compiles a MES source with mesasm (which writes the
# debug information <out.MES>.dbg beside it). The rule depends on
# mesasm itself, on the source and on every file the source includes (through a
# depfile written by mesasm). Relative paths: SOURCE from the current source
# directory, OUTPUT from the current binary directory. With TARGET, a custom
# target of that name builds the file as part of "all"; otherwise list OUTPUT
# among the sources or DEPENDS of a target of your own.
function(fer_assemble_mes)
  cmake_parse_arguments(PARSE_ARGV 0 MES "" "OUTPUT;SOURCE;CHARSET;TARGET" "DEPENDS")
  if(NOT MES_OUTPUT OR NOT MES_SOURCE)
    message(FATAL_ERROR "fer_assemble_mes: OUTPUT and SOURCE are required")
  endif()
  if(MES_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "fer_assemble_mes: unknown arguments ${MES_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT MES_CHARSET)
    set(MES_CHARSET gb2312)
  endif()
  if(NOT MES_CHARSET MATCHES "^(gb2312|sjis)$")
    message(FATAL_ERROR "fer_assemble_mes: CHARSET must be gb2312 or sjis")
  endif()
  get_filename_component(source "${MES_SOURCE}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(output "${MES_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(outputDir "${output}" DIRECTORY)
  file(MAKE_DIRECTORY "${outputDir}")
  add_custom_command(
    OUTPUT "${output}"
    BYPRODUCTS "${output}.dbg"
    COMMAND $<TARGET_FILE:mesasm> "${source}" -o "${output}" --charset ${MES_CHARSET}
            --depfile "${output}.d"
    DEPENDS mesasm "${source}" ${MES_DEPENDS}
    DEPFILE "${output}.d"
    COMMENT "Assembling ${MES_OUTPUT}"
    VERBATIM)
  if(MES_TARGET)
    add_custom_target(${MES_TARGET} ALL DEPENDS "${output}")
  endif()
endfunction()
