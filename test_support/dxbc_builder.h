// Test support: writes DXBC containers from a compact description, and
// records where each record landed so a test can break one field of an
// otherwise valid file.
#ifndef QUORVANE_TESTS_DXBC_BUILDER_H
#define QUORVANE_TESTS_DXBC_BUILDER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dxbc_builder {

struct MemberPlan;

struct TypePlan {
  std::uint16_t variable_class = 0;  // D3D_SVC_*
  std::uint16_t base_type = 3;       // D3D_SVT_*
  std::uint16_t rows = 1;
  std::uint16_t columns = 1;
  std::uint16_t elements = 0;
  std::vector<MemberPlan> members;
  std::string name = "float";  // written for shader model 5 only
};

struct MemberPlan {
  std::string name;
  TypePlan type;
  std::uint32_t offset = 0;
};

struct VariablePlan {
  std::string name;
  std::uint32_t start_offset = 0;
  std::uint32_t size = 4;
  std::uint32_t flags = 2;  // D3D_SVF_USED
  TypePlan type;
};

struct BufferPlan {
  std::string name = "$Globals";
  std::uint32_t type = 0;  // D3D_CT_CBUFFER
  std::uint32_t size = 16;
  std::uint32_t flags = 0;
  std::vector<VariablePlan> variables;
};

struct ExtraChunk {
  std::string tag;  // four characters
  std::vector<unsigned char> payload;
};

struct ShaderPlan {
  int major = 5;  // 4 or 5: the RDEF layout
  int minor = 0;
  std::vector<BufferPlan> buffers;
  bool with_rdef = true;
  bool with_program = true;
  bool seal_checksum = true;             // false leaves the checksum all zero
  std::vector<ExtraChunk> extra_chunks;  // appended after RDEF and the program
};

TypePlan Float(std::uint16_t columns = 1);
TypePlan Bool();
TypePlan Int();
TypePlan Struct(std::vector<MemberPlan> members, std::string name = "S");
VariablePlan Variable(std::string name, std::uint32_t offset, std::uint32_t size, TypePlan type);

// Container offsets of what Build wrote, for one-field changes.
struct Built {
  std::vector<unsigned char> bytes;
  std::size_t rdef = 0;  // first RDEF payload byte
  std::size_t rdef_size = 0;
  std::vector<std::size_t> buffer_records;    // by buffer
  std::vector<std::size_t> variable_records;  // all variables, in buffer order
  std::vector<std::size_t> variable_types;    // type record of each variable
  std::vector<std::size_t> member_records;    // all member records, in write order

  // Writes a little-endian value at a container offset, then reseals the
  // checksum when the file was sealed.
  void Set32(std::size_t offset, std::uint32_t value);
  void Set16(std::size_t offset, std::uint16_t value);
  void Reseal();
  bool sealed = true;
};

Built Build(const ShaderPlan& plan);

// A container crafted against verifiers that scan a name once per record
// that points at it: a shader model 4 RDEF with `bindings` binding records,
// record i naming the offset (i * step) % name_length inside one run of
// `name_length` 'a' bytes and its NUL; no program chunk, all-zero checksum.
// Step 0 makes every record share the whole name; step 1 gives each its own
// suffix.
std::vector<unsigned char> BuildBindingsIntoOneName(std::uint32_t bindings, std::size_t name_length,
                                                    std::size_t step);

// Recomputes the checksum of any container in place.
void SealChecksum(std::vector<unsigned char>& container);

}  // namespace dxbc_builder

#endif  // QUORVANE_TESTS_DXBC_BUILDER_H
