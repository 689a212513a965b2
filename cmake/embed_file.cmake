# Turns one file into a C++ source holding its bytes, so that the Linux
# program carries its sound files inside as the Windows one carries them as
# resources.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P embed_file.cmake
# defines kel::posix::embedded::<name>[] and <name>_size.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
# One byte more than the file, so that an empty file still makes an array.
file(WRITE "${OUTPUT}.tmp"
  "// Made by cmake/embed_file.cmake from ${INPUT}; not edited by hand.\n"
  "#include <cstddef>\n"
  "namespace kel::posix::embedded {\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}_size;\n"
  "const unsigned char ${SYMBOL}[] = {\n${bytes}0};\n"
  "const std::size_t ${SYMBOL}_size = ${size};\n"
  "}  // namespace kel::posix::embedded\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
