// The reflection library against containers from the test builder and
// against shaders compiled by a real HLSL compiler.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dxbc_builder.h"
#include "rdef_parser.h"
#include "shader_reflection/d3d11_shader_reflection.h"
#include "test_files.h"

namespace {

using namespace shader_reflection;
using dxbc_builder::Build;
using dxbc_builder::Built;
using dxbc_builder::ShaderPlan;
using dxbc_builder::Variable;

struct Release {
  void operator()(ID3D11ShaderReflection* r) const { r->Release(); }
};

// The reflection points into the bytes it was given, so it keeps them.
struct Reflected {
  std::vector<unsigned char> bytes;
  HRESULT result = E_FAIL;
  std::unique_ptr<ID3D11ShaderReflection, Release> reflection;
  std::string reason;
  ID3D11ShaderReflection* operator->() const { return reflection.get(); }
};

Reflected Reflect(std::vector<unsigned char> bytes) {
  Reflected out;
  out.bytes = std::move(bytes);
  void* object = reinterpret_cast<void*>(&out);  // must be cleared on failure
  out.result = D3DReflectWithReason(out.bytes.data(), out.bytes.size(), IID_ID3D11ShaderReflection,
                                    &object, &out.reason);
  if (SUCCEEDED(out.result)) {
    out.reflection.reset(static_cast<ID3D11ShaderReflection*>(object));
  } else {
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(out.reason.empty());
  }
  return out;
}

ShaderPlan TypicalShader(int major) {
  ShaderPlan plan;
  plan.major = major;
  dxbc_builder::BufferPlan globals;
  globals.size = 48;
  globals.variables = {
      Variable("Color", 0, 16, dxbc_builder::Float(4)),
      Variable("Enabled", 16, 4, dxbc_builder::Bool()),
      Variable("Light", 32, 8,
               dxbc_builder::Struct(
                   {{"Range", dxbc_builder::Float(), 0}, {"Mode", dxbc_builder::Int(), 4}},
                   "LightInfo")),
  };
  dxbc_builder::BufferPlan second;
  second.name = "PerObject";
  second.variables = {Variable("Tint", 0, 16, dxbc_builder::Float(4))};
  plan.buffers = {globals, second};
  return plan;
}

TEST(ShaderReflection, ReflectsBuffersVariablesAndTypesInBothLayouts) {
  for (int major : {4, 5}) {
    SCOPED_TRACE("shader model " + std::to_string(major));
    Reflected r = Reflect(Build(TypicalShader(major)).bytes);
    ASSERT_EQ(r.result, S_OK) << r.reason;

    D3D11_SHADER_DESC shader{};
    ASSERT_EQ(r->GetDesc(&shader), S_OK);
    EXPECT_EQ(shader.ConstantBuffers, 2u);
    EXPECT_EQ(shader.BoundResources, 2u);
    EXPECT_STREQ(shader.Creator, "Quorvane test builder");
    EXPECT_EQ(shader.Version, static_cast<UINT>(major << 4));

    D3D11_SHADER_BUFFER_DESC buffer{};
    ASSERT_EQ(r->GetConstantBufferByIndex(1)->GetDesc(&buffer), S_OK);
    EXPECT_STREQ(buffer.Name, "PerObject");
    ASSERT_EQ(r->GetConstantBufferByIndex(0)->GetDesc(&buffer), S_OK);
    EXPECT_STREQ(buffer.Name, "$Globals");
    EXPECT_EQ(buffer.Type, D3D_CT_CBUFFER);
    EXPECT_EQ(buffer.Variables, 3u);
    EXPECT_EQ(buffer.Size, 48u);

    ID3D11ShaderReflectionVariable* enabled = r->GetConstantBufferByIndex(0)->GetVariableByIndex(1);
    D3D11_SHADER_VARIABLE_DESC variable{};
    ASSERT_EQ(enabled->GetDesc(&variable), S_OK);
    EXPECT_STREQ(variable.Name, "Enabled");
    EXPECT_EQ(variable.StartOffset, 16u);
    EXPECT_EQ(variable.Size, 4u);
    EXPECT_EQ(variable.uFlags, static_cast<UINT>(D3D_SVF_USED));
    EXPECT_EQ(variable.DefaultValue, nullptr);
    EXPECT_EQ(variable.StartTexture, 0xFFFFFFFFu);
    EXPECT_EQ(variable.StartSampler, 0xFFFFFFFFu);
    D3D11_SHADER_TYPE_DESC type{};
    ASSERT_EQ(enabled->GetType()->GetDesc(&type), S_OK);
    EXPECT_EQ(type.Type, D3D_SVT_BOOL);
    EXPECT_EQ(type.Class, D3D_SVC_SCALAR);
    if (major == 5) {
      EXPECT_STREQ(type.Name, "bool");
    } else {
      EXPECT_EQ(type.Name, nullptr);
    }

    ID3D11ShaderReflectionType* light =
        r->GetConstantBufferByIndex(0)->GetVariableByIndex(2)->GetType();
    ASSERT_EQ(light->GetDesc(&type), S_OK);
    EXPECT_EQ(type.Class, D3D_SVC_STRUCT);
    EXPECT_EQ(type.Members, 2u);
    EXPECT_EQ(type.Offset, 0u);
    EXPECT_STREQ(light->GetMemberTypeName(1), "Mode");
    EXPECT_EQ(light->GetMemberTypeName(2), nullptr);
    ASSERT_EQ(light->GetMemberTypeByIndex(1)->GetDesc(&type), S_OK);
    EXPECT_EQ(type.Type, D3D_SVT_INT);
    EXPECT_EQ(type.Offset, 4u);
    EXPECT_EQ(r->GetConstantBufferByName("PerObject"), r->GetConstantBufferByIndex(1));
    EXPECT_EQ(r->GetConstantBufferByIndex(0)->GetVariableByName("Color"),
              r->GetConstantBufferByIndex(0)->GetVariableByIndex(0));
    EXPECT_EQ(enabled->GetBuffer(), r->GetConstantBufferByIndex(0));
  }
}

TEST(ShaderReflection, OutOfRangeQueriesGiveSharedPlaceholdersWhoseDescriptionsFail) {
  Reflected r = Reflect(Build(TypicalShader(5)).bytes);
  ASSERT_EQ(r.result, S_OK) << r.reason;
  ID3D11ShaderReflectionConstantBuffer* missing = r->GetConstantBufferByIndex(2);
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing, r->GetConstantBufferByIndex(0xFFFFFFFF));
  EXPECT_EQ(missing, r->GetConstantBufferByName("nope"));
  EXPECT_EQ(missing, r->GetConstantBufferByName(nullptr));
  D3D11_SHADER_BUFFER_DESC buffer{};
  EXPECT_EQ(missing->GetDesc(&buffer), E_FAIL);

  ID3D11ShaderReflectionVariable* no_variable = missing->GetVariableByIndex(0);
  ASSERT_NE(no_variable, nullptr);
  EXPECT_EQ(no_variable, r->GetConstantBufferByIndex(0)->GetVariableByIndex(3));
  EXPECT_EQ(no_variable, r->GetConstantBufferByIndex(0)->GetVariableByName("nope"));
  D3D11_SHADER_VARIABLE_DESC variable{};
  EXPECT_EQ(no_variable->GetDesc(&variable), E_FAIL);
  ID3D11ShaderReflectionType* no_type = no_variable->GetType();
  ASSERT_NE(no_type, nullptr);
  D3D11_SHADER_TYPE_DESC type{};
  EXPECT_EQ(no_type->GetDesc(&type), E_FAIL);
  EXPECT_STREQ(no_type->GetMemberTypeName(0), "$Invalid");
  EXPECT_EQ(no_type->GetMemberTypeByIndex(0), no_type);

  ID3D11ShaderReflectionVariable* color = r->GetConstantBufferByIndex(0)->GetVariableByIndex(0);
  EXPECT_EQ(color->GetType()->GetMemberTypeByIndex(0), no_type);
  EXPECT_EQ(r->GetConstantBufferByIndex(0)->GetDesc(nullptr), E_FAIL);
  EXPECT_EQ(color->GetDesc(nullptr), E_FAIL);
  EXPECT_EQ(color->GetType()->GetDesc(nullptr), E_FAIL);
  EXPECT_EQ(r->GetDesc(nullptr), E_FAIL);
}

TEST(ShaderReflection, ArgumentChecks) {
  const std::vector<unsigned char> shader = Build(TypicalShader(5)).bytes;
  void* object = &object;
  EXPECT_EQ(D3DReflect(nullptr, shader.size(), IID_ID3D11ShaderReflection, &object), E_INVALIDARG);
  EXPECT_EQ(object, nullptr);
  object = &object;
  EXPECT_EQ(D3DReflect(shader.data(), 31, IID_ID3D11ShaderReflection, &object), E_INVALIDARG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(D3DReflect(shader.data(), shader.size(), IID_ID3D11ShaderReflection, nullptr),
            E_INVALIDARG);
  // The interface id of the later compiler library generation.
  const IID later = {0x8D536CA1, 0x0CCA, 0x4956, {0xA8, 0x37, 0x78, 0x69, 0x63, 0x75, 0x55, 0x84}};
  object = &object;
  EXPECT_EQ(D3DReflect(shader.data(), shader.size(), later, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

// Containers a person could build from the format's description.
TEST(ShaderReflection, AcceptsEveryWellFormedContainer) {
  struct Case {
    const char* what;
    std::function<void(ShaderPlan&)> change;
    UINT buffers;
  };
  const Case cases[] = {
      {"unsigned (all-zero) checksum", [](ShaderPlan& s) { s.seal_checksum = false; }, 2},
      {"stripped: a program and no RDEF", [](ShaderPlan& s) { s.with_rdef = false; }, 0},
      {"RDEF and no program", [](ShaderPlan& s) { s.with_program = false; }, 2},
      {"unknown chunks and a second RDEF, which is ignored",
       [](ShaderPlan& s) {
         s.extra_chunks = {{"ZZZZ", {1, 2, 3}}, {"RDEF", std::vector<unsigned char>(28, 0xEE)}};
       },
       2},
      {"no constant buffers", [](ShaderPlan& s) { s.buffers.clear(); }, 0},
      {"a buffer without variables", [](ShaderPlan& s) { s.buffers[1].variables.clear(); }, 2},
      {"target 5.1 with the reversed RD11 magic", [](ShaderPlan& s) { s.minor = 1; }, 2},
      {"target 4.1",
       [](ShaderPlan& s) {
         s.major = 4;
         s.minor = 1;
       },
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShaderPlan plan = TypicalShader(5);
    c.change(plan);
    Reflected r = Reflect(Build(plan).bytes);
    ASSERT_EQ(r.result, S_OK) << r.reason;
    D3D11_SHADER_DESC desc{};
    ASSERT_EQ(r->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.ConstantBuffers, c.buffers);
  }
}

TEST(ShaderReflection, ChunksInAnyOrder) {
  ShaderPlan plan = TypicalShader(4);
  Built built = Build(plan);
  // Swap the two chunk table entries: the program now comes first.
  std::swap_ranges(built.bytes.begin() + 32, built.bytes.begin() + 36, built.bytes.begin() + 36);
  built.Reseal();
  Reflected r = Reflect(built.bytes);
  ASSERT_EQ(r.result, S_OK) << r.reason;
  D3D11_SHADER_BUFFER_DESC buffer{};
  EXPECT_EQ(r->GetConstantBufferByIndex(1)->GetDesc(&buffer), S_OK);
}

TEST(ShaderReflection, NamesPointIntoTheCallersBytes) {
  Reflected r = Reflect(Build(TypicalShader(5)).bytes);
  ASSERT_EQ(r.result, S_OK) << r.reason;
  D3D11_SHADER_VARIABLE_DESC variable{};
  ASSERT_EQ(r->GetConstantBufferByIndex(0)->GetVariableByIndex(0)->GetDesc(&variable), S_OK);
  const auto* name = reinterpret_cast<const unsigned char*>(variable.Name);
  EXPECT_TRUE(name > r.bytes.data() && name < r.bytes.data() + r.bytes.size());
}

TEST(ShaderReflection, DefaultValueIsReadFromTheChunk) {
  Built built = Build(TypicalShader(4));
  built.Set32(built.variable_records[1] + 20, 16);  // the RDEF version field: 00 04 FF FF
  Reflected r = Reflect(built.bytes);
  ASSERT_EQ(r.result, S_OK) << r.reason;
  D3D11_SHADER_VARIABLE_DESC variable{};
  ASSERT_EQ(r->GetConstantBufferByIndex(0)->GetVariableByIndex(1)->GetDesc(&variable), S_OK);
  ASSERT_NE(variable.DefaultValue, nullptr);
  const unsigned char expected[4] = {0x00, 0x04, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(variable.DefaultValue, expected, 4), 0);
}

// Each case changes one thing of a valid container; every one must fail
// with a reason that names what is wrong.
TEST(ShaderReflection, RefusesMalformedContainersWithAReason) {
  struct Case {
    const char* what;
    std::function<void(Built&)> change;
    const char* reason;
  };
  const Case cases[] = {
      {"bad magic", [](Built& b) { b.Set32(0, 0x12345678); }, "does not start with \"DXBC\""},
      {"version 2", [](Built& b) { b.Set32(20, 2); }, "container version 2"},
      {"size field too small",
       [](Built& b) { b.Set32(24, static_cast<std::uint32_t>(b.bytes.size() - 1)); },
       "container size field"},
      {"container inside a longer buffer", [](Built& b) { b.bytes.push_back(0); },
       "container size field"},
      {"checksum does not match", [](Built& b) { b.bytes[4] ^= 1; }, "checksum"},
      {"payload changed after sealing", [](Built& b) { b.bytes[b.rdef + 20] ^= 1; }, "checksum"},
      {"chunk count past the end", [](Built& b) { b.Set32(28, 0x40000000); }, "chunk count"},
      {"chunk offset past the end", [](Built& b) { b.Set32(32, 0xFFFFFFF0); },
       "chunk 0: offset 0xfffffff0"},
      {"chunk offset inside the header", [](Built& b) { b.Set32(32, 4); },
       "inside the container header"},
      {"chunk payload past the end", [](Built& b) { b.Set32(b.rdef - 4, 0xFFFFFFFF); },
       "runs past the end"},
      {"RDEF shorter than its header", [](Built& b) { b.Set32(b.rdef - 4, 20); },
       "shorter than its 28-byte header"},
      {"RDEF target 3.0",
       [](Built& b) {
         b.bytes[b.rdef + 17] = 3;
         b.Reseal();
       },
       "target 3.0"},
      {"RDEF target 6.0",
       [](Built& b) {
         b.bytes[b.rdef + 17] = 6;
         b.Reseal();
       },
       "target 6.0"},
      {"RD11 magic", [](Built& b) { b.Set32(b.rdef + 28, 0x31314453); }, "is not RD11"},
      {"RD11 header size", [](Built& b) { b.Set32(b.rdef + 32, 64); }, "header size is 64"},
      {"RD11 variable record size", [](Built& b) { b.Set32(b.rdef + 44, 24); },
       "variable record size is 24"},
      {"RD11 binding record size", [](Built& b) { b.Set32(b.rdef + 40, 36); },
       "binding record size is 36"},
      {"RD11 type record size", [](Built& b) { b.Set32(b.rdef + 48, 16); },
       "type record size is 16"},
      {"buffer count overflows", [](Built& b) { b.Set32(b.rdef + 0, 0x0AAAAAAB); },
       "constant buffers of 24 bytes"},
      {"buffer array past the end", [](Built& b) { b.Set32(b.rdef + 4, 0xFFFFFFFF); },
       "do not fit"},
      {"binding array past the end",
       [](Built& b) { b.Set32(b.rdef + 12, static_cast<std::uint32_t>(b.rdef_size)); },
       "resource bindings"},
      {"creator without NUL",
       [](Built& b) {
         b.bytes[b.rdef + b.rdef_size - 1] = 'x';
         b.Set32(b.rdef + 24, static_cast<std::uint32_t>(b.rdef_size - 1));
       },
       "creator string"},
      {"buffer name outside the chunk", [](Built& b) { b.Set32(b.buffer_records[1], 0x1f0000); },
       "constant buffer 1: name offset 0x1f0000 is outside the RDEF chunk"},
      {"variable name outside the chunk",
       [](Built& b) { b.Set32(b.variable_records[2], 0x1f0000); },
       "variable 2 of constant buffer 0 '$Globals': name offset 0x1f0000 is outside the RDEF "
       "chunk"},
      {"variable count too large", [](Built& b) { b.Set32(b.buffer_records[0] + 4, 1000); },
       "1000 variables of 40 bytes"},
      {"variable count over the limit", [](Built& b) { b.Set32(b.buffer_records[0] + 4, 16385); },
       "16385 variables is more than the 16384"},
      {"variable array past the end",
       [](Built& b) { b.Set32(b.buffer_records[0] + 8, 0xFFFFFFFF); }, "do not fit"},
      {"type record outside the chunk",
       [](Built& b) {
         b.Set32(b.variable_records[0] + 16, static_cast<std::uint32_t>(b.rdef_size - 20));
       },
       "variable 0 of constant buffer 0 '$Globals': type record offset"},
      {"default value past the end",
       [](Built& b) { b.Set32(b.variable_records[0] + 20, 0xFFFFFFF0); },
       "default value of 16 bytes"},
      {"member array past the end", [](Built& b) { b.Set32(b.variable_types[2] + 12, 0xFFFFFFFF); },
       "struct members at offset 0xffffffff"},
      {"member name outside the chunk", [](Built& b) { b.Set32(b.member_records[1], 0x1f0000); },
       "member 1 of variable 2"},
      {"struct that contains itself",
       [](Built& b) {
         b.Set32(b.member_records[0] + 4, static_cast<std::uint32_t>(b.variable_types[2] - b.rdef));
       },
       "contains itself"},
      {"type name outside the chunk", [](Built& b) { b.Set32(b.variable_types[0] + 32, 0xFFFFFF); },
       "type name offset"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Built built = Build(TypicalShader(5));
    c.change(built);
    Reflected r = Reflect(built.bytes);
    EXPECT_TRUE(FAILED(r.result));
    EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
  }
}

// The format allows any NUL-terminated name; what may be written into a
// header is the tool's concern, not the reader's.
TEST(ShaderReflection, AcceptsAnyNulTerminatedName) {
  for (const char* name : {"a\"b", "a\\b", "tab\there", "caf\xc3\xa9", "<unnamed> $x[0].y"}) {
    SCOPED_TRACE(name);
    ShaderPlan plan = TypicalShader(5);
    plan.buffers[0].variables[0].name = name;
    plan.buffers[0].variables[2].type.members[0].name = name;
    Reflected r = Reflect(Build(plan).bytes);
    ASSERT_EQ(r.result, S_OK) << r.reason;
    D3D11_SHADER_VARIABLE_DESC variable{};
    ASSERT_EQ(r->GetConstantBufferByIndex(0)->GetVariableByIndex(0)->GetDesc(&variable), S_OK);
    EXPECT_STREQ(variable.Name, name);
    EXPECT_STREQ(
        r->GetConstantBufferByIndex(0)->GetVariableByIndex(2)->GetType()->GetMemberTypeName(0),
        name);
  }
}

TEST(ShaderReflection, RefusesWhatIsNotAShaderModel4Or5Shader) {
  struct Case {
    const char* what;
    std::function<void(ShaderPlan&)> change;
    const char* reason;
  };
  const Case cases[] = {
      {"DXIL",
       [](ShaderPlan& s) {
         s.with_rdef = false;
         s.extra_chunks = {{"DXIL", {0, 0, 0, 0}}};
       },
       "DXIL (shader model 6) is not supported; compile for shader model 4 or 5"},
      {"an effect",
       [](ShaderPlan& s) {
         s.with_rdef = false;
         s.with_program = false;
         s.extra_chunks = {{"FX10", {1, 2, 3, 4}}};
       },
       "neither resource definitions (RDEF) nor a shader program"},
      {"an empty container",
       [](ShaderPlan& s) {
         s.with_rdef = false;
         s.with_program = false;
       },
       "neither resource definitions (RDEF) nor a shader program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShaderPlan plan = TypicalShader(5);
    c.change(plan);
    Reflected r = Reflect(Build(plan).bytes);
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
  }
  // Shader model 6 compilers sign differently: DXIL is named whatever the
  // checksum says.
  ShaderPlan dxil = TypicalShader(5);
  dxil.extra_chunks = {{"DXIL", {0, 0, 0, 0}}};
  std::vector<unsigned char> bytes = Build(dxil).bytes;
  bytes[4] ^= 0x55;
  Reflected r = Reflect(bytes);
  EXPECT_NE(r.reason.find("DXIL (shader model 6) is not supported"), std::string::npos) << r.reason;
}

TEST(ShaderReflection, StructsNestUpTo64Levels) {
  auto nested = [](int depth) {
    dxbc_builder::TypePlan type = dxbc_builder::Float();
    for (int i = 0; i < depth; ++i) type = dxbc_builder::Struct({{"m", type, 0}});
    ShaderPlan plan = TypicalShader(5);
    plan.buffers[0].variables[0].type = type;
    return Build(plan).bytes;
  };
  EXPECT_EQ(Reflect(nested(64)).result, S_OK);
  Reflected deep = Reflect(nested(65));
  EXPECT_TRUE(FAILED(deep.result));
  EXPECT_NE(deep.reason.find("structs nest deeper than 64 levels"), std::string::npos)
      << deep.reason;
}

// Every limit is exact at its boundary and has its own reason. The real
// limits need files of megabytes, so the parser runs here on a typical
// shader with each limit set to what that shader holds (accepted) and to
// one less (refused): 2 buffers, 2 bindings, 3 variables in $Globals and
// 4 in all, 5 type records, 2 struct members, 1 struct level, and 9 bytes
// in its longest names ("PerObject", "LightInfo").
TEST(ShaderReflection, EachLimitIsExactAndHasItsOwnReason) {
  struct Case {
    const char* what;
    std::uint32_t RdefLimits::*limit;
    std::uint32_t exactly;
    const char* reason_below;
  };
  const Case cases[] = {
      {"constant buffers", &RdefLimits::max_buffers, 2,
       "RDEF: 2 constant buffers is more than the 1 a shader may declare"},
      {"resource bindings", &RdefLimits::max_bindings, 2,
       "RDEF: 2 resource bindings is more than the 1 a shader may declare"},
      {"name length", &RdefLimits::max_name_length, 9,
       "is 9 bytes long, more than the 8 a name may have"},
      {"variables per buffer", &RdefLimits::max_variables_per_buffer, 3,
       "3 variables is more than the 2 a constant buffer can hold"},
      {"variables in all", &RdefLimits::max_variables, 4,
       "constant buffer 1 'PerObject': the shader declares more than 3 variables in all"},
      {"type records", &RdefLimits::max_types, 5, "more than 4 types"},
      {"struct members", &RdefLimits::max_members, 2, "more than 1 struct members"},
      {"struct depth", &RdefLimits::max_struct_depth, 1,
       "variable 2 of constant buffer 0 '$Globals': structs nest deeper than 0 levels"},
  };
  const Built built = Build(TypicalShader(5));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RdefLimits limits;
    limits.*c.limit = c.exactly;
    ParsedRdef parsed;
    std::string reason;
    EXPECT_TRUE(
        ParseRdef(built.bytes.data() + built.rdef, built.rdef_size, &parsed, &reason, limits))
        << reason;
    limits.*c.limit = c.exactly - 1;
    EXPECT_FALSE(
        ParseRdef(built.bytes.data() + built.rdef, built.rdef_size, &parsed, &reason, limits));
    EXPECT_NE(reason.find(c.reason_below), std::string::npos) << reason;
  }
}

// Real compiler output (tests/fixtures, compiled from tests/fixtures/hlsl).
// Expected offsets follow the packing rules: 16-byte registers, arrays and
// matrices start a register, every array element but the last is padded.
TEST(ShaderReflection, ReadsCompiledFixtures) {
  struct Expected {
    const char* name;
    UINT start;
    UINT size;
    D3D_SHADER_VARIABLE_TYPE type;
    D3D_SHADER_VARIABLE_CLASS variable_class;
  };
  struct Fixture {
    const char* file;
    UINT version;  // program token low byte: major << 4 | minor
    UINT buffers;
    std::vector<Expected> variables;  // of the first buffer
  };
  const Fixture fixtures[] = {
      {"globals_ps_4_0.cso",
       0x40,
       1,
       {{"Color", 0, 16, D3D_SVT_FLOAT, D3D_SVC_VECTOR},
        {"UseTexture", 16, 4, D3D_SVT_BOOL, D3D_SVC_SCALAR},
        {"Unused", 20, 4, D3D_SVT_FLOAT, D3D_SVC_SCALAR},
        {"Weights", 32, 20, D3D_SVT_FLOAT, D3D_SVC_SCALAR}}},
      {"two_cbuffers_vs_5_0.cso",
       0x50,
       2,
       {{"ViewProjection", 0, 64, D3D_SVT_FLOAT, D3D_SVC_MATRIX_ROWS},
        {"World", 64, 64, D3D_SVT_FLOAT, D3D_SVC_MATRIX_COLUMNS},
        {"LightDirection", 128, 12, D3D_SVT_FLOAT, D3D_SVC_VECTOR},
        {"Time", 140, 4, D3D_SVT_FLOAT, D3D_SVC_SCALAR},
        {"Toggles", 144, 8, D3D_SVT_BOOL, D3D_SVC_VECTOR},
        {"Jitter", 160, 40, D3D_SVT_FLOAT, D3D_SVC_VECTOR}}},
      {"int_after_floats_vs_4_1.cso",
       0x41,
       1,
       {{"Scale", 0, 4, D3D_SVT_FLOAT, D3D_SVC_SCALAR},
        {"Offset", 4, 8, D3D_SVT_FLOAT, D3D_SVC_VECTOR},
        {"BoneCount", 12, 4, D3D_SVT_INT, D3D_SVC_SCALAR}}},
      {"int_first_ps_5_0.cso",
       0x50,
       1,
       {{"Mode", 0, 4, D3D_SVT_INT, D3D_SVC_SCALAR},
        {"Color", 16, 16, D3D_SVT_FLOAT, D3D_SVC_VECTOR}}},
      {"struct_member_ps_5_0.cso",
       0x50,
       1,
       {{"Weights", 0, 52, D3D_SVT_FLOAT, D3D_SVC_SCALAR},
        {"Sun", 64, 32, D3D_SVT_VOID, D3D_SVC_STRUCT},
        {"LightCount", 96, 4, D3D_SVT_UINT, D3D_SVC_SCALAR}}},
      {"texture_only_ps_4_1.cso", 0x41, 0, {}},
      {"no_resources_vs_4_0.cso", 0x10040, 0, {}},
  };
  for (const Fixture& f : fixtures) {
    SCOPED_TRACE(f.file);
    Reflected r = Reflect(test_files::ReadBytes(test_files::FixturePath(f.file)));
    ASSERT_EQ(r.result, S_OK) << r.reason;
    D3D11_SHADER_DESC shader{};
    ASSERT_EQ(r->GetDesc(&shader), S_OK);
    EXPECT_EQ(shader.ConstantBuffers, f.buffers);
    EXPECT_EQ(shader.Version & 0xFF, f.version & 0xFF);
    if (f.buffers == 0) continue;
    D3D11_SHADER_BUFFER_DESC buffer{};
    ASSERT_EQ(r->GetConstantBufferByIndex(0)->GetDesc(&buffer), S_OK);
    ASSERT_EQ(buffer.Variables, f.variables.size());
    for (UINT i = 0; i < buffer.Variables; ++i) {
      ID3D11ShaderReflectionVariable* v = r->GetConstantBufferByIndex(0)->GetVariableByIndex(i);
      D3D11_SHADER_VARIABLE_DESC variable{};
      D3D11_SHADER_TYPE_DESC type{};
      ASSERT_EQ(v->GetDesc(&variable), S_OK);
      ASSERT_EQ(v->GetType()->GetDesc(&type), S_OK);
      EXPECT_STREQ(variable.Name, f.variables[i].name);
      EXPECT_EQ(variable.StartOffset, f.variables[i].start) << variable.Name;
      EXPECT_EQ(variable.Size, f.variables[i].size) << variable.Name;
      EXPECT_EQ(type.Type, f.variables[i].type) << variable.Name;
      EXPECT_EQ(type.Class, f.variables[i].variable_class) << variable.Name;
    }
  }
}

TEST(ShaderReflection, ReadsStructMembersOfACompiledFixture) {
  Reflected r = Reflect(test_files::ReadBytes(test_files::FixturePath("struct_member_ps_5_0.cso")));
  ASSERT_EQ(r.result, S_OK) << r.reason;
  ID3D11ShaderReflectionType* sun =
      r->GetConstantBufferByIndex(0)->GetVariableByName("Sun")->GetType();
  D3D11_SHADER_TYPE_DESC type{};
  ASSERT_EQ(sun->GetDesc(&type), S_OK);
  EXPECT_EQ(type.Members, 3u);
  EXPECT_STREQ(type.Name, "Light");
  const char* names[] = {"Color", "Range", "Direction"};
  // The reader passes on what is stored. fxc stores byte offsets (0, 16, 20);
  // the compiler that made this fixture stores 4-byte units.
  const UINT offsets[] = {0, 4, 5};
  for (UINT i = 0; i < 3; ++i) {
    EXPECT_STREQ(sun->GetMemberTypeName(i), names[i]);
    ASSERT_EQ(sun->GetMemberTypeByIndex(i)->GetDesc(&type), S_OK);
    EXPECT_EQ(type.Offset, offsets[i]);
    EXPECT_EQ(type.Type, D3D_SVT_FLOAT);
  }
}

}  // namespace
