#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace fs = std::filesystem;

// Replays every file of the given corpus folders (or single files) through the fuzz target's entry
// point, so that an input the fuzzer once found keeps being tried by the ordinary test run. A crash or
// a sanitizer report fails the run; naming each file first tells which input did it.
int main(int argc, char **argv) {
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path path(argv[i]);
    if (fs::is_directory(path)) {
      for (const fs::directory_entry &entry : fs::recursive_directory_iterator(path))
        if (entry.is_regular_file())
          inputs.push_back(entry.path());
    } else if (fs::is_regular_file(path)) {
      inputs.push_back(path);
    } else {
      std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
      return 2;
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "the corpus holds no input\n");
    return 2;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path &input : inputs) {
    std::printf("%s\n", input.filename().c_str());
    std::fflush(stdout);
    std::ifstream file(input, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
  }
  std::printf("%zu passed, 0 failed\n", inputs.size());
  return 0;
}
