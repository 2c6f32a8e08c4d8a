# Writes a C++ source that holds the bytes of INPUT as the array NAME (in namespace moriva),
# so that the program carries the file and needs none at run time.
# Usage: cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=kSomething -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n  "
       bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
     "// Generated from ${INPUT}; do not edit.\n"
     "#include <cstddef>\n\n"
     "namespace moriva {\n\n"
     "extern const unsigned char ${NAME}[];\n"
     "extern const std::size_t ${NAME}Size;\n"
     "const unsigned char ${NAME}[] = {\n  ${bytes}0};\n"
     "const std::size_t ${NAME}Size = ${size};\n\n"
     "}  // namespace moriva\n")
# Only a changed table makes the library rebuild.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
