// Every shader of the shared corpus, compiled by the platform's own
// compiler, reflects with exactly the variables the compiler's listing
// gives for its first constant buffer.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "dxbc_checksum.h"
#include "shader_reflection/d3d11_shader_reflection.h"
#include "test_files.h"

namespace {

using namespace shader_reflection;

struct ListedVariable {
  std::string name;
  UINT offset;
  UINT size;
};

struct Listing {
  bool has_buffer = false;
  std::string buffer_name;
  std::vector<ListedVariable> variables;
};

// Top-level members are indented by exactly two spaces; a struct's own line
// is its closing "  } name;".
Listing ParseListing(const std::string& text) {
  Listing listing;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("cbuffer ", 0) == 0 || line.rfind("tbuffer ", 0) == 0) {
      listing.has_buffer = true;
      listing.buffer_name = line.substr(8);
      continue;
    }
    const auto comment = line.find("// Offset:");
    if (line.size() < 3 || line.compare(0, 2, "  ") != 0 || line[2] == ' ' ||
        comment == std::string::npos)
      continue;
    const std::string declaration = line.substr(0, line.find(';'));
    std::string name = declaration.substr(declaration.find_last_of(" }") + 1);
    name = name.substr(0, name.find('['));
    unsigned offset = 0, size = 0;
    std::sscanf(line.c_str() + comment, "// Offset: %u Size: %u", &offset, &size);
    listing.variables.push_back({name, offset, size});
  }
  return listing;
}

class Corpus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test_files::Exists(test_files::CorpusDir() + "/INDEX.tsv"))
      GTEST_SKIP() << "SKIPPED: no shared corpus at " << test_files::CorpusDir();
  }
};

TEST_F(Corpus, FirstBufferMatchesTheCompilerListing) {
  const std::vector<std::string> names = test_files::CorpusNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string base = test_files::CorpusDir() + "/" + name;
    const Listing listing = ParseListing(test_files::ReadText(base + ".expected.txt"));
    const std::vector<unsigned char> bytes = test_files::ReadBytes(base + ".cso");
    void* object = nullptr;
    std::string reason;
    ASSERT_EQ(D3DReflectWithReason(bytes.data(), bytes.size(), IID_ID3D11ShaderReflection, &object,
                                   &reason),
              S_OK)
        << reason;
    auto* reflection = static_cast<ID3D11ShaderReflection*>(object);
    ID3D11ShaderReflectionConstantBuffer* buffer =
        listing.has_buffer ? reflection->GetConstantBufferByName(listing.buffer_name.c_str())
                           : reflection->GetConstantBufferByIndex(0);
    D3D11_SHADER_BUFFER_DESC desc{};
    if (!listing.has_buffer) {
      EXPECT_EQ(buffer->GetDesc(&desc), E_FAIL);
    } else {
      ASSERT_EQ(buffer->GetDesc(&desc), S_OK);
      ASSERT_EQ(desc.Variables, listing.variables.size());
      for (UINT i = 0; i < desc.Variables; ++i) {
        D3D11_SHADER_VARIABLE_DESC variable{};
        ASSERT_EQ(buffer->GetVariableByIndex(i)->GetDesc(&variable), S_OK);
        EXPECT_EQ(variable.Name, listing.variables[i].name);
        EXPECT_EQ(variable.StartOffset, listing.variables[i].offset) << variable.Name;
        EXPECT_EQ(variable.Size, listing.variables[i].size) << variable.Name;
      }
    }
    reflection->Release();
  }
}

// The stored checksums were written by the platform's compiler; between
// them they take both ways of padding the last block.
TEST_F(Corpus, ChecksumMatchesWhatTheCompilerStored) {
  bool one_padding_block = false;
  bool two_padding_blocks = false;
  for (const std::string& name : test_files::CorpusNames()) {
    SCOPED_TRACE(name);
    const std::vector<unsigned char> bytes =
        test_files::ReadBytes(test_files::CorpusDir() + "/" + name + ".cso");
    ASSERT_GE(bytes.size(), 32u);
    const DxbcChecksum digest = ComputeDxbcChecksum(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) {
      const std::uint32_t stored = static_cast<std::uint32_t>(bytes[4 + 4 * i]) |
                                   static_cast<std::uint32_t>(bytes[5 + 4 * i]) << 8 |
                                   static_cast<std::uint32_t>(bytes[6 + 4 * i]) << 16 |
                                   static_cast<std::uint32_t>(bytes[7 + 4 * i]) << 24;
      EXPECT_EQ(digest[i], stored);
    }
    ((bytes.size() - 20) % 64 <= 55 ? one_padding_block : two_padding_blocks) = true;
  }
  EXPECT_TRUE(one_padding_block);
  EXPECT_TRUE(two_padding_blocks);
}

}  // namespace
