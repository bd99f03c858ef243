#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "import/binary_output.h"

namespace svcmp {

void UseBinaryStandardOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void UseBinaryPrintedOutput() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace svcmp
