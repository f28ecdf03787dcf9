# Writes the bytes of INPUT as a comma-separated C initialiser list into OUTPUT.
# Usage: cmake -DINPUT=file -DOUTPUT=file.inc -P EmbedBytes.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "${bytes}\n")
