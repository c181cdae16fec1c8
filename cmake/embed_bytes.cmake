# Writes a C++ source that holds a file's bytes, so a binary asset travels inside a
# program without a resource compiler. Run as
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DSYMBOL=name -P embed_bytes.cmake
# The source defines `const std::uint8_t SYMBOL[]` and `const std::size_t SYMBOLSize`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}"
  "// Generated at build time from ${name}: do not edit.\n"
  "#include <cstddef>\n#include <cstdint>\n"
  "extern const std::uint8_t ${SYMBOL}[] = {${bytes}};\n"
  "extern const std::size_t ${SYMBOL}Size = ${size};\n")
