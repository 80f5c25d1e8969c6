// Hostile input: every single-byte change of the parts of real shaders that
// the reader interprets, every truncation, and the inputs fuzzing once
// found. Each must reflect or fail with a reason; the sanitizer build shows
// that none reads outside the buffer or leaks.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dxbc_builder.h"
#include "reflection_walk.h"
#include "test_files.h"

namespace {

const char* const kFixtures[] = {
    "globals_ps_4_0.cso",       "two_cbuffers_vs_5_0.cso", "texture_only_ps_4_1.cso",
    "no_resources_vs_4_0.cso",  "int_first_ps_5_0.cso",    "int_after_floats_vs_4_1.cso",
    "struct_member_ps_5_0.cso",
};

std::uint32_t Read32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void Write32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// The byte ranges the reader interprets: the header with the chunk table,
// and the RDEF chunk with its chunk header.
std::vector<std::pair<std::size_t, std::size_t>> InterpretedRanges(
    const std::vector<unsigned char>& shader) {
  const std::uint32_t chunks = Read32(shader, 28);
  std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, 32 + 4 * chunks}};
  for (std::uint32_t i = 0; i < chunks; ++i) {
    const std::uint32_t offset = Read32(shader, 32 + 4 * i);
    if (Read32(shader, offset) == 0x46454452)  // "RDEF"
      ranges.emplace_back(offset, offset + 8 + Read32(shader, offset + 4));
  }
  return ranges;
}

// True when the bytes reflected; a failure must come with its reason.
bool ReflectsOrExplains(const std::vector<unsigned char>& bytes) {
  const WalkResult result = WalkReflection(bytes.data(), bytes.size());
  if (!result.reflected) {
    EXPECT_FALSE(result.reason.empty());
  }
  return result.reflected;
}

TEST(Robustness, EveryInterpretedByteSetToZeroMaxAndPlusOne) {
  for (const char* name : kFixtures) {
    SCOPED_TRACE(name);
    const std::vector<unsigned char> shader = test_files::ReadBytes(test_files::FixturePath(name));
    ASSERT_GE(shader.size(), 32u);
    std::size_t still_reflecting = 0;
    for (const auto& range : InterpretedRanges(shader)) {
      for (std::size_t at = range.first; at < range.second; ++at) {
        if (at >= 4 && at < 20) continue;  // the checksum itself is resealed
        for (int change = 0; change < 3; ++change) {
          std::vector<unsigned char> mutated = shader;
          mutated[at] = change == 0   ? 0x00
                        : change == 1 ? 0xFF
                                      : static_cast<unsigned char>(shader[at] + 1);
          dxbc_builder::SealChecksum(mutated);
          SCOPED_TRACE("byte " + std::to_string(at) + " change " + std::to_string(change));
          still_reflecting += ReflectsOrExplains(mutated);
        }
      }
    }
    // Most single-byte changes of names, offsets and sizes leave a readable
    // file; a sweep where nothing reflects would test only the first check.
    EXPECT_GT(still_reflecting, 0u);
  }
}

TEST(Robustness, EveryTruncation) {
  for (const char* name : kFixtures) {
    SCOPED_TRACE(name);
    const std::vector<unsigned char> shader = test_files::ReadBytes(test_files::FixturePath(name));
    for (std::size_t size = 0; size < shader.size(); ++size) {
      SCOPED_TRACE("size " + std::to_string(size));
      std::vector<unsigned char> cut(shader.begin(),
                                     shader.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_FALSE(WalkReflection(cut.data(), cut.size()).reflected);
      // The same bytes with a size field and a checksum that agree, so the
      // chunk parsers meet the missing end themselves.
      if (size >= 32) {
        Write32(cut, 24, static_cast<std::uint32_t>(size));
        dxbc_builder::SealChecksum(cut);
        ReflectsOrExplains(cut);
      }
    }
  }
}

// Files crafted so that a verifier which scans a name once per record
// pointing at it does work of records times name length: the first once
// took seconds, the third minutes. Now every byte is scanned at most once,
// and a name longer than any compiler writes is refused.
TEST(Robustness, ManyRecordsIntoOneLongNameAreCheckedOnce) {
  struct Case {
    const char* what;
    std::uint32_t bindings;
    std::size_t name_length;
    std::size_t step;
    bool reflects;
  };
  const Case cases[] = {
      {"4,096 bindings sharing a 1 MiB name", 4096, std::size_t{1} << 20, 0, false},
      {"32,768 bindings, each its own suffix of a 2 MiB name", 32768, std::size_t{2} << 20, 1,
       false},
      {"32,768 bindings, each its own suffix of a name at the length limit", 32768, 1024, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<unsigned char> bytes =
        dxbc_builder::BuildBindingsIntoOneName(c.bindings, c.name_length, c.step);
    const WalkResult result = WalkReflection(bytes.data(), bytes.size());
    EXPECT_EQ(result.reflected, c.reflects) << result.reason;
    if (!c.reflects) {
      EXPECT_NE(result.reason.find("resource binding 0: name at offset"), std::string::npos)
          << result.reason;
      EXPECT_NE(result.reason.find("more than the 1024 a name may have"), std::string::npos)
          << result.reason;
    }
  }
}

// Inputs that once broke the reader or made it slow, kept as found: each
// must reflect or fail with a reason. A folder left empty would make this
// pass without replaying anything, so that fails too.
TEST(Robustness, FuzzFindingsStayFixed) {
  const std::filesystem::path dir = std::filesystem::path(QUORVANE_TESTS_DIR) / "fuzz_regressions";
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().filename() == "README.md") continue;
    SCOPED_TRACE(entry.path().string());
    std::vector<unsigned char> input = test_files::ReadBytes(entry.path().string());
    ReflectsOrExplains(input);
    // The fuzz target reseals the checksum before reflecting; so does this.
    if (input.size() >= 32) {
      dxbc_builder::SealChecksum(input);
      ReflectsOrExplains(input);
    }
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "no inputs in " << dir.string();
}

}  // namespace
