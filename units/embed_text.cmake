# cmake -DIN=<file> -DOUT=<source> -DNAME=<symbol> -P embed_text.cmake
# Writes a C++ source that defines the char array NAME as the text of IN, so
# that the program carries the file instead of reading it at run time.
file(READ "${IN}" text)
string(FIND "${text}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} holds the text that ends the embedded string")
endif()
file(WRITE "${OUT}"
  "// Made by the build from ${IN}; edit that file, not this one.\n"
  "extern const char ${NAME}[] = R\"embedded(${text})embedded\";\n")
