# Turns one binary file into a C++ source holding its bytes:
#   cmake -DINPUT=picture.png -DOUTPUT=picture.cpp -DNAME=kPicture -P embed-png.cmake
# defines `extern const unsigned char NAME[]` and `extern const std::size_t NAMESize`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x[0-9a-f][0-9a-f]," 20 line)  # CMake's expressions have no {n}
string(REGEX REPLACE "(${line})" "\\1\n  " bytes "${bytes}")
get_filename_component(source "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
"// Made at build time from ${source}; do not edit.\n"
"#include <cstddef>\n\n"
"extern const unsigned char ${NAME}[] = {\n  ${bytes}\n};\n"
"extern const std::size_t ${NAME}Size = ${size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
