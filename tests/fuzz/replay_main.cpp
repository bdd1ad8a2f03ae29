// Runs a fuzz target's entry function over every file of a folder, in name order, without
// libFuzzer: the inputs that once made the target fail are replayed by the ordinary test run.
// A broken check aborts, which fails the test. Usage: <target>_replay FOLDER
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argc > 0 ? argv[0] : "replay");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::vector<std::filesystem::path> inputs;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  if (error) {
    std::fprintf(stderr, "%s: %s\n", folder.string().c_str(), error.message().c_str());
    return 1;
  }
  // A folder without inputs would make the test pass without replaying anything.
  if (inputs.empty()) {
    std::fprintf(stderr, "%s: no inputs to replay\n", folder.string().c_str());
    return 1;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const auto& path : inputs) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file.good() && !file.eof()) {
      std::fprintf(stderr, "%s: cannot be read\n", path.string().c_str());
      return 1;
    }
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", path.filename().string().c_str(), bytes.size());
    // The data is copied into a buffer of its own size, so reading past it is caught by the sanitizers.
    const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  std::printf("%zu inputs replayed from %s\n", inputs.size(), folder.string().c_str());
  return 0;
}
