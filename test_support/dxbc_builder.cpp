#include "dxbc_builder.h"

#include <algorithm>
#include <map>
#include <utility>

#include "dxbc_checksum.h"

namespace dxbc_builder {
namespace {

void Put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void Put16(std::vector<unsigned char>& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<unsigned char>(value);
  out[at + 1] = static_cast<unsigned char>(value >> 8);
}

std::size_t Reserve(std::vector<unsigned char>& out, std::size_t bytes) {
  const std::size_t at = out.size();
  out.resize(at + bytes, 0);
  return at;
}

std::uint32_t FourCC(const std::string& tag) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(tag[i])) << (8 * i);
  return value;
}

class RdefWriter {
 public:
  explicit RdefWriter(const ShaderPlan& plan) : plan_(plan), sm5_(plan.major >= 5) {}

  std::vector<unsigned char> Write(Built* built) {
    const std::size_t header = Reserve(out_, sm5_ ? 60 : 28);
    const std::size_t buffer_count = plan_.buffers.size();
    const std::size_t buffers = Reserve(out_, 24 * buffer_count);
    const std::size_t bindings = Reserve(out_, binding_size() * buffer_count);
    Put32(out_, header + 0, static_cast<std::uint32_t>(buffer_count));
    Put32(out_, header + 4, static_cast<std::uint32_t>(buffers));
    Put32(out_, header + 8, static_cast<std::uint32_t>(buffer_count));
    Put32(out_, header + 12, static_cast<std::uint32_t>(bindings));
    out_[header + 16] = static_cast<unsigned char>(plan_.minor);
    out_[header + 17] = static_cast<unsigned char>(plan_.major);
    Put16(out_, header + 18, 0xFFFF);
    Put32(out_, header + 20, 0x100);
    if (sm5_) {
      Put32(out_, header + 28, plan_.minor >= 1 ? 0x25441313 : 0x31314452);
      const std::uint32_t sizes[] = {60, 24, binding_size(), 40, 36, 12, 0};
      for (int i = 0; i < 7; ++i) Put32(out_, header + 32 + 4 * i, sizes[i]);
    }
    for (std::size_t b = 0; b < buffer_count; ++b) {
      const BufferPlan& buffer = plan_.buffers[b];
      const std::size_t record = buffers + 24 * b;
      built->buffer_records.push_back(record);
      const auto name = String(buffer.name);
      Put32(out_, record + 0, name);
      Put32(out_, record + 4, static_cast<std::uint32_t>(buffer.variables.size()));
      Put32(out_, record + 12, buffer.size);
      Put32(out_, record + 16, buffer.flags);
      Put32(out_, record + 20, buffer.type);
      Put32(out_, bindings + binding_size() * b, name);
      Put32(out_, bindings + binding_size() * b + 20, static_cast<std::uint32_t>(b));
      Put32(out_, bindings + binding_size() * b + 24, 1);
      const std::size_t variable_size = sm5_ ? 40 : 24;
      const std::size_t variables = Reserve(out_, variable_size * buffer.variables.size());
      Put32(out_, record + 8, static_cast<std::uint32_t>(variables));
      for (std::size_t v = 0; v < buffer.variables.size(); ++v)
        WriteVariable(buffer.variables[v], variables + variable_size * v, built);
    }
    Put32(out_, header + 24, String("Quorvane test builder"));
    built->member_records = member_records_;
    return out_;
  }

 private:
  std::uint32_t binding_size() const { return sm5_ && plan_.minor >= 1 ? 40 : 32; }

  std::uint32_t String(const std::string& text) {
    const std::size_t at = Reserve(out_, text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i)
      out_[at + i] = static_cast<unsigned char>(text[i]);
    return static_cast<std::uint32_t>(at);
  }

  void WriteVariable(const VariablePlan& variable, std::size_t record, Built* built) {
    built->variable_records.push_back(record);
    Put32(out_, record + 0, String(variable.name));
    Put32(out_, record + 4, variable.start_offset);
    Put32(out_, record + 8, variable.size);
    Put32(out_, record + 12, variable.flags);
    const std::uint32_t type = WriteType(variable.type);
    built->variable_types.push_back(type);
    Put32(out_, record + 16, type);
    if (sm5_) {
      Put32(out_, record + 24, 0xFFFFFFFF);
      Put32(out_, record + 32, 0xFFFFFFFF);
    }
  }

  // Types without members are written once and shared, as compilers do.
  std::uint32_t WriteType(const TypePlan& type) {
    if (!type.members.empty()) return WriteNewType(type);
    const std::string key = std::to_string(type.variable_class) + "," +
                            std::to_string(type.base_type) + "," + std::to_string(type.rows) + "," +
                            std::to_string(type.columns) + "," + std::to_string(type.elements) +
                            "," + type.name;
    const auto known = shared_types_.find(key);
    if (known != shared_types_.end()) return known->second;
    const std::uint32_t record = WriteNewType(type);
    shared_types_.emplace(key, record);
    return record;
  }

  std::uint32_t WriteNewType(const TypePlan& type) {
    const std::size_t record = Reserve(out_, sm5_ ? 36 : 16);
    Put16(out_, record + 0, type.variable_class);
    Put16(out_, record + 2, type.base_type);
    Put16(out_, record + 4, type.rows);
    Put16(out_, record + 6, type.columns);
    Put16(out_, record + 8, type.elements);
    Put16(out_, record + 10, static_cast<std::uint16_t>(type.members.size()));
    if (sm5_) Put32(out_, record + 32, String(type.name));
    if (!type.members.empty()) {
      const std::size_t members = Reserve(out_, 12 * type.members.size());
      Put32(out_, record + 12, static_cast<std::uint32_t>(members));
      for (std::size_t m = 0; m < type.members.size(); ++m) {
        const std::size_t member = members + 12 * m;
        member_records_.push_back(member);
        Put32(out_, member + 0, String(type.members[m].name));
        Put32(out_, member + 4, WriteType(type.members[m].type));
        Put32(out_, member + 8, type.members[m].offset);
      }
    }
    return static_cast<std::uint32_t>(record);
  }

  const ShaderPlan& plan_;
  bool sm5_;
  std::vector<unsigned char> out_;
  std::vector<std::size_t> member_records_;
  std::map<std::string, std::uint32_t> shared_types_;
};

}  // namespace

TypePlan Float(std::uint16_t columns) {
  TypePlan type;
  type.variable_class = columns == 1 ? 0 : 1;
  type.columns = columns;
  type.name = columns == 1 ? "float" : "float" + std::to_string(columns);
  return type;
}

TypePlan Bool() {
  TypePlan type;
  type.base_type = 1;
  type.name = "bool";
  return type;
}

TypePlan Int() {
  TypePlan type;
  type.base_type = 2;
  type.name = "int";
  return type;
}

TypePlan Struct(std::vector<MemberPlan> members, std::string name) {
  TypePlan type;
  type.variable_class = 5;
  type.base_type = 0;
  type.columns = static_cast<std::uint16_t>(members.size());
  type.members = std::move(members);
  type.name = std::move(name);
  return type;
}

VariablePlan Variable(std::string name, std::uint32_t offset, std::uint32_t size, TypePlan type) {
  VariablePlan variable;
  variable.name = std::move(name);
  variable.start_offset = offset;
  variable.size = size;
  variable.type = std::move(type);
  return variable;
}

std::vector<unsigned char> BuildBindingsIntoOneName(std::uint32_t bindings, std::size_t name_length,
                                                    std::size_t step) {
  constexpr std::size_t kHeader = 28;
  constexpr std::size_t kBinding = 32;
  std::vector<unsigned char> rdef(kHeader + kBinding * bindings, 0);
  const std::size_t name = rdef.size();
  rdef.resize(name + name_length + 1, 'a');
  rdef.back() = 0;
  Put32(rdef, 8, bindings);
  Put32(rdef, 12, static_cast<std::uint32_t>(kHeader));
  rdef[17] = 4;
  for (std::uint32_t i = 0; i < bindings; ++i) {
    const std::size_t start = name_length == 0 ? 0 : (i * step) % name_length;
    Put32(rdef, kHeader + kBinding * i, static_cast<std::uint32_t>(name + start));
  }
  ShaderPlan plan;
  plan.with_rdef = false;
  plan.with_program = false;
  plan.seal_checksum = false;
  plan.extra_chunks = {{"RDEF", std::move(rdef)}};
  return Build(plan).bytes;
}

void SealChecksum(std::vector<unsigned char>& container) {
  const auto digest = shader_reflection::ComputeDxbcChecksum(container.data(), container.size());
  for (int i = 0; i < 4; ++i) Put32(container, 4 + 4 * i, digest[i]);
}

void Built::Set32(std::size_t offset, std::uint32_t value) {
  Put32(bytes, offset, value);
  Reseal();
}

void Built::Set16(std::size_t offset, std::uint16_t value) {
  Put16(bytes, offset, value);
  Reseal();
}

void Built::Reseal() {
  if (sealed) SealChecksum(bytes);
}

Built Build(const ShaderPlan& plan) {
  Built built;
  std::vector<std::pair<std::uint32_t, std::vector<unsigned char>>> chunks;
  if (plan.with_rdef) chunks.emplace_back(FourCC("RDEF"), RdefWriter(plan).Write(&built));
  if (plan.with_program) {
    // A version token and a length: enough for a reader that looks no further.
    std::vector<unsigned char> program(8, 0);
    const std::uint32_t version = static_cast<std::uint32_t>(plan.major << 4 | plan.minor);
    Put32(program, 0, version);
    Put32(program, 4, 2);
    chunks.emplace_back(FourCC(plan.major >= 5 ? "SHEX" : "SHDR"), program);
  }
  for (const ExtraChunk& extra : plan.extra_chunks)
    chunks.emplace_back(FourCC(extra.tag), extra.payload);

  std::vector<unsigned char>& out = built.bytes;
  Reserve(out, 32 + 4 * chunks.size());
  Put32(out, 0, FourCC("DXBC"));
  Put32(out, 20, 1);
  Put32(out, 28, static_cast<std::uint32_t>(chunks.size()));
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const std::size_t at = Reserve(out, 8 + chunks[i].second.size());
    Put32(out, 32 + 4 * i, static_cast<std::uint32_t>(at));
    Put32(out, at, chunks[i].first);
    Put32(out, at + 4, static_cast<std::uint32_t>(chunks[i].second.size()));
    std::copy(chunks[i].second.begin(), chunks[i].second.end(),
              out.begin() + static_cast<std::ptrdiff_t>(at + 8));
    if (plan.with_rdef && i == 0) built.rdef = at + 8;
  }
  Put32(out, 24, static_cast<std::uint32_t>(out.size()));
  if (plan.with_rdef) {
    built.rdef_size = chunks[0].second.size();
    const std::size_t base = built.rdef;
    for (auto* list : {&built.buffer_records, &built.variable_records, &built.member_records})
      for (std::size_t& offset : *list) offset += base;
    for (std::size_t& offset : built.variable_types) offset += base;
  }
  built.sealed = plan.seal_checksum;
  built.Reseal();
  return built;
}

}  // namespace dxbc_builder
