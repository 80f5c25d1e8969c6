// The writer against fake reflection objects, for what no real shader file
// produces: null variables and descriptions that fail.
#include "uniform_table_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace shader_reflection;

class FakeType final : public ID3D11ShaderReflectionType {
 public:
  FakeType(D3D_SHADER_VARIABLE_TYPE type, bool fails) : type_(type), fails_(fails) {}
  HRESULT GetDesc(D3D11_SHADER_TYPE_DESC* desc) override {
    if (fails_) return E_FAIL;
    *desc = D3D11_SHADER_TYPE_DESC{};
    desc->Type = type_;
    return S_OK;
  }
  ID3D11ShaderReflectionType* GetMemberTypeByIndex(UINT) override { return this; }
  LPCSTR GetMemberTypeName(UINT) override { return nullptr; }

 private:
  D3D_SHADER_VARIABLE_TYPE type_;
  bool fails_;
};

class FakeVariable final : public ID3D11ShaderReflectionVariable {
 public:
  FakeVariable(const char* name, UINT offset, UINT size, D3D_SHADER_VARIABLE_TYPE type,
               bool desc_fails = false, bool type_fails = false)
      : name_(name),
        offset_(offset),
        size_(size),
        desc_fails_(desc_fails),
        type_(type, type_fails) {}
  HRESULT GetDesc(D3D11_SHADER_VARIABLE_DESC* desc) override {
    if (desc_fails_) return E_FAIL;
    *desc = D3D11_SHADER_VARIABLE_DESC{};
    desc->Name = name_;
    desc->StartOffset = offset_;
    desc->Size = size_;
    return S_OK;
  }
  ID3D11ShaderReflectionType* GetType() override { return &type_; }
  ID3D11ShaderReflectionConstantBuffer* GetBuffer() override { return nullptr; }

 private:
  const char* name_;
  UINT offset_;
  UINT size_;
  bool desc_fails_;
  FakeType type_;
};

class FakeBuffer final : public ID3D11ShaderReflectionConstantBuffer {
 public:
  // A null entry stands for a variable the buffer cannot hand out.
  explicit FakeBuffer(std::vector<FakeVariable*> variables, bool fails = false)
      : variables_(std::move(variables)), fails_(fails) {}
  HRESULT GetDesc(D3D11_SHADER_BUFFER_DESC* desc) override {
    if (fails_) return E_FAIL;
    *desc = D3D11_SHADER_BUFFER_DESC{};
    desc->Variables = static_cast<UINT>(variables_.size());
    return S_OK;
  }
  ID3D11ShaderReflectionVariable* GetVariableByIndex(UINT index) override {
    return variables_.at(index);
  }
  ID3D11ShaderReflectionVariable* GetVariableByName(LPCSTR) override { return nullptr; }

 private:
  std::vector<FakeVariable*> variables_;
  bool fails_;
};

struct Written {
  UniformTableOutcome outcome;
  std::string file;
  std::string console;
};

Written Write(FakeBuffer& buffer) {
  // ctest runs tests side by side: one file per test.
  const std::string path = ::testing::TempDir() + "uniform_table_writer_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".h";
  std::FILE* out = std::fopen(path.c_str(), "w+");
  ::testing::internal::CaptureStdout();
  Written written{WriteUniformTable(&buffer, out, "T", "in.cso"), "", ""};
  written.console = ::testing::internal::GetCapturedStdout();
  if (written.outcome == UniformTableOutcome::kUnknownVariableType) std::fclose(out);
  // Text mode, as the header was written: on Windows each line end is CR LF
  // on disk and reads back as a line feed.
  std::FILE* in = std::fopen(path.c_str(), "r");
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) written.file.append(chunk, got);
  std::fclose(in);
  std::remove(path.c_str());
  return written;
}

const char kHead[] = "#ifndef T\n\nconst QEX::CAPI::D3D_NS::ShaderBase::Uniform T[] =\n{\n";
const char kTail[] = "};\n\n#endif\n";

TEST(WriteUniformTable, SkipsVariablesThatCannotBeFetchedOrDescribed) {
  FakeVariable color("Color", 0, 16, D3D_SVT_FLOAT);
  FakeVariable hidden("Hidden", 16, 4, D3D_SVT_INT, /*desc_fails=*/true);
  FakeVariable flag("Flag", 20, 4, D3D_SVT_BOOL);
  FakeBuffer buffer({&color, nullptr, &hidden, &flag});
  const Written w = Write(buffer);
  EXPECT_EQ(w.outcome, UniformTableOutcome::kTableWritten);
  EXPECT_EQ(w.console, "");
  EXPECT_EQ(w.file, std::string(kHead) +
                        "\t{ \"Color\", \tQEX::CAPI::D3D_NS::ShaderBase::VARTYPE_FLOAT, 0, 16 },\n"
                        "\t{ \"Flag\", \tQEX::CAPI::D3D_NS::ShaderBase::VARTYPE_BOOL, 20, 4 },\n" +
                        kTail);
}

TEST(WriteUniformTable, ATypeThatCannotBeDescribedIsAnUnknownType) {
  FakeVariable color("Color", 0, 16, D3D_SVT_FLOAT);
  FakeVariable odd("Odd", 16, 4, D3D_SVT_FLOAT, false, /*type_fails=*/true);
  FakeBuffer buffer({&color, &odd});
  const Written w = Write(buffer);
  EXPECT_EQ(w.outcome, UniformTableOutcome::kUnknownVariableType);
  EXPECT_EQ(w.console, "Unknown variable type for variable: 'Odd' used in shader 'in.cso'");
  EXPECT_EQ(w.file,
            std::string(kHead) +
                "\t{ \"Color\", \tQEX::CAPI::D3D_NS::ShaderBase::VARTYPE_FLOAT, 0, 16 },\n");
}

TEST(WriteUniformTable, FailingBufferDescriptionWritesTheComment) {
  FakeBuffer buffer({}, /*fails=*/true);
  const Written w = Write(buffer);
  EXPECT_EQ(w.outcome, UniformTableOutcome::kNoConstantBuffer);
  EXPECT_EQ(w.console, "Did not get a constant buffer from shader: in.cso");
  EXPECT_EQ(w.file, "// No data available for shader reflection T");
}

TEST(WriteUniformTable, OffsetsAndSizesAreSigned32BitDecimals) {
  FakeVariable huge("Huge", 0x80000000u, 0xFFFFFFFFu, D3D_SVT_FLOAT);
  FakeBuffer buffer({&huge});
  EXPECT_EQ(
      Write(buffer).file,
      std::string(kHead) +
          "\t{ \"Huge\", \tQEX::CAPI::D3D_NS::ShaderBase::VARTYPE_FLOAT, -2147483648, -1 },\n" +
          kTail);
}

// Names go between double quotes unescaped, so the names the table would
// hold are checked first; the names after the table's end are not its
// concern.
TEST(NamesFitStringLiterals, FindsTheFirstNameTheTableCannotHold) {
  struct Case {
    const char* what;
    std::vector<const char*> names;
    D3D_SHADER_VARIABLE_TYPE second_type;
    const char* problem;  // null: every name fits
  };
  const Case cases[] = {
      {"plain names, brackets, spaces and dollars",
       {"Color", "<unnamed> $x[0].y"},
       D3D_SVT_FLOAT,
       nullptr},
      {"a double quote",
       {"Color", "a\"b"},
       D3D_SVT_FLOAT,
       "the name of variable 1, 'a\\x22b', holds byte 0x22"},
      {"a backslash",
       {"a\\b", "Color"},
       D3D_SVT_FLOAT,
       "the name of variable 0, 'a\\x5cb', holds byte 0x5c"},
      {"a tab",
       {"tab\there", "Color"},
       D3D_SVT_FLOAT,
       "the name of variable 0, 'tab\\x09here', holds byte 0x09"},
      {"a byte above ASCII",
       {"caf\xc3\xa9", "Color"},
       D3D_SVT_FLOAT,
       "the name of variable 0, 'caf\\xc3\\xa9', holds byte 0xc3"},
      {"after an int, where the table ends", {"Color", "new\nline"}, D3D_SVT_INT, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeVariable first(c.names[0], 0, 4, D3D_SVT_FLOAT);
    FakeVariable second(c.names[1], 4, 4, c.second_type);
    FakeBuffer buffer({&first, &second});
    std::string problem;
    EXPECT_EQ(NamesFitStringLiterals(&buffer, &problem), c.problem == nullptr);
    EXPECT_EQ(problem, c.problem == nullptr ? "" : c.problem);
  }
  FakeBuffer none({}, /*fails=*/true);
  std::string problem;
  EXPECT_TRUE(NamesFitStringLiterals(&none, &problem));
}

}  // namespace
