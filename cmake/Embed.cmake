# Turns a binary file into a C++ source defining its bytes and their count:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P Embed.cmake
# Included, it gives orvane_embed(INPUT SYMBOL OUT): the build command that writes
# <binary dir>/SYMBOL.cpp from INPUT, with the source's path in OUT.
if(NOT CMAKE_SCRIPT_MODE_FILE)
  function(orvane_embed input symbol out)
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp)
    add_custom_command(OUTPUT ${source}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${source} -DSYMBOL=${symbol}
              -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      DEPENDS ${input} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      VERBATIM)
    set(${out} ${source} PARENT_SCOPE)
  endfunction()
  return()
endif()
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n\n"
"extern const unsigned char ${SYMBOL}[] = {\n    ${bytes}\n};\n"
"extern const std::size_t ${SYMBOL}Size = ${size};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
