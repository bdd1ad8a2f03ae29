// The ps1cardlink protocol under a scripted line: see reader_fuzz.h for what is checked.
#include "fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  selvane::fuzz::RunReaderFuzz(selvane::device::ReaderKind::Ps1CardLink, data, size);
  return 0;
}
