# Turns a binary file into a C++ source defining `wendolarka::<SYMBOL>()` that
# returns its bytes.  cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -P embed.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," body "${hex}")
string(REGEX REPLACE "(([^,]*,){16})" "\\1\n    " body "${body}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.\n#include <QByteArray>\n\nnamespace wendolarka {\nnamespace {\nconst char kData[] = {\n    ${body}\n};\n} // namespace\n\nQByteArray ${SYMBOL}() { return QByteArray::fromRawData(kData, sizeof kData); }\n\n} // namespace wendolarka\n")
