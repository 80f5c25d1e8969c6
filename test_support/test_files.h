// Test support: reading fixture files and finding the shared corpus.
#ifndef QUORVANE_TESTS_TEST_FILES_H
#define QUORVANE_TESTS_TEST_FILES_H

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace test_files {

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::ifstream(path).good(); }

inline std::string FixturePath(const std::string& name) {
  return std::string(QUORVANE_FIXTURE_DIR) + "/" + name;
}

// Shaders compiled by the platform's own compiler, kept outside the
// project; tests that use it skip, and say so, when it is absent.
inline std::string CorpusDir() { return QUORVANE_CORPUS_DIR; }

// Names (without .cso) of every corpus shader, from its index.
inline std::vector<std::string> CorpusNames() {
  std::vector<std::string> names;
  std::ifstream index(CorpusDir() + "/INDEX.tsv");
  std::string line;
  std::getline(index, line);  // column heads
  while (std::getline(index, line)) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) names.push_back(line.substr(0, tab));
  }
  return names;
}

}  // namespace test_files

#endif  // QUORVANE_TESTS_TEST_FILES_H
