#pragma once
// A file the program folder ships, as the build found it.

namespace testing_support {

struct ShippedFile {
  const wchar_t* fileName;
  const char* text;
};

}  // namespace testing_support
