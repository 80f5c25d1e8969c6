#include "rdef_parser.h"

#include <cstring>
#include <map>
#include <unordered_map>

#include "byte_view.h"
#include "dxbc_layout.h"
#include "failure_reason.h"

namespace shader_reflection {
namespace {

namespace rdef = layout::rdef;

constexpr std::uint32_t kNoResource = 0xFFFFFFFF;

// Names at least this long are remembered once checked; shorter ones are
// scanned again by each record that points into them, which bounds that
// work by this length per record.
constexpr std::size_t kRememberedNameLength = 32;

struct RecordSizes {
  std::size_t binding;
  std::size_t variable;
  std::size_t type;
};

// Where a record sits, as a chain read outwards: "member 1 of variable 3 of
// constant buffer 'Params'". Built on the stack, put into words only when a
// check fails, so the common path allocates nothing.
struct Where {
  const char* kind;
  std::uint32_t index;
  const char* name;  // may be null
  const Where* parent;

  std::string Describe() const {
    std::string text = std::string(kind) + " " + std::to_string(index);
    if (name != nullptr) text += std::string(" '") + name + "'";
    if (parent != nullptr) text += " of " + parent->Describe();
    return text;
  }
};

struct TypeFrame {
  std::uint32_t type;
  std::uint32_t next_member;
};

class RdefParser {
 public:
  RdefParser(const ByteView& rdef, ParsedRdef* parsed, std::string* reason,
             const RdefLimits& limits)
      : bytes_(rdef), parsed_(parsed), reason_(reason), limits_(limits) {}

  [[nodiscard]] bool Parse() { return ParseHeader() && ParseBindings() && ParseBuffers(); }

 private:
  // A NUL-terminated name inside the chunk, or null after a failure reason
  // that says where the name was expected. Many records may point into one
  // long name, so a long name's bytes are scanned once: known_names_ maps
  // the NUL of each long name already checked to the lowest offset checked
  // up to it. Short names, nearly all of them, are cheaper to scan again
  // than to remember.
  [[nodiscard]] const char* ReadName(std::uint32_t offset, const Where& at, const char* what) {
    if (offset >= bytes_.size()) {
      Fail(reason_, "%s: %s offset 0x%x is outside the RDEF chunk", at.Describe().c_str(), what,
           offset);
      return nullptr;
    }
    std::size_t nul = 0;
    if (!FindNameEnd(offset, at, what, &nul)) return nullptr;
    if (nul - offset > limits_.max_name_length) {
      Fail(reason_, "%s: %s at offset 0x%x is %zu bytes long, more than the %u a name may have",
           at.Describe().c_str(), what, offset, nul - offset, limits_.max_name_length);
      return nullptr;
    }
    return reinterpret_cast<const char*>(bytes_.At(offset, nul - offset + 1));
  }

  // The position of the NUL that ends the name at `offset` (inside the chunk),
  // scanning only the bytes no earlier name has covered.
  [[nodiscard]] bool FindNameEnd(std::uint32_t offset, const Where& at, const char* what,
                                 std::size_t* nul) {
    const auto next = known_names_.lower_bound(offset);
    if (next != known_names_.end() && next->second <= offset) {
      *nul = next->first;
      return true;
    }
    const std::size_t scan_end = next != known_names_.end() ? next->second : bytes_.size();
    const unsigned char* scan = bytes_.At(offset, scan_end - offset);
    const void* found = std::memchr(scan, 0, scan_end - offset);
    if (found != nullptr) {
      const auto p =
          offset + static_cast<std::size_t>(static_cast<const unsigned char*>(found) - scan);
      if (p - offset >= kRememberedNameLength) known_names_.emplace(p, offset);
      *nul = p;
      return true;
    }
    if (next == known_names_.end())
      return Fail(reason_, "%s: %s at offset 0x%x has no terminating NUL inside the RDEF chunk",
                  at.Describe().c_str(), what, offset);
    next->second = offset;  // runs on into a name already checked
    *nul = next->first;
    return true;
  }

  [[nodiscard]] bool ParseHeader() {
    if (!bytes_.Fits(0, rdef::kHeaderSizeSM4))
      return Fail(reason_, "RDEF chunk of %zu bytes is shorter than its 28-byte header",
                  bytes_.size());
    parsed_->minor_version = bytes_.U8(0, rdef::kMinorVersion);
    parsed_->major_version = bytes_.U8(0, rdef::kMajorVersion);
    parsed_->program_type = bytes_.U16(0, rdef::kProgramType);
    parsed_->compile_flags = bytes_.U32(0, rdef::kCompileFlags);
    if (parsed_->major_version != 4 && parsed_->major_version != 5)
      return Fail(reason_, "RDEF target %u.%u is not shader model 4 or 5", parsed_->major_version,
                  parsed_->minor_version);
    sizes_ = RecordSizes{layout::binding::kRecordSizeSM50, layout::variable::kRecordSizeSM4,
                         layout::type::kRecordSizeSM4};
    if (parsed_->major_version == 5 && !ParseRd11()) return false;
    return ParseCreator();
  }

  [[nodiscard]] bool ParseRd11() {
    if (!bytes_.Fits(0, rdef::kHeaderSizeSM5))
      return Fail(reason_,
                  "RDEF chunk of %zu bytes is shorter than its 60-byte shader model 5 "
                  "header",
                  bytes_.size());
    const std::uint32_t magic = bytes_.U32(0, rdef::kRd11Magic);
    if (magic != rdef::kRd11MagicSM50 && magic != rdef::kRd11MagicSM51)
      return Fail(reason_, "RDEF: shader model 5 header magic 0x%08x is not RD11", magic);
    struct Expected {
      layout::Field field;
      const char* what;
      std::size_t value;
    };
    const Expected expected[] = {
        {rdef::kRd11HeaderSize, "header size", rdef::kHeaderSizeSM5},
        {rdef::kRd11BufferRecordSize, "constant buffer record size", layout::buffer::kRecordSize},
        {rdef::kRd11VariableRecordSize, "variable record size", layout::variable::kRecordSizeSM5},
        {rdef::kRd11TypeRecordSize, "type record size", layout::type::kRecordSizeSM5},
        {rdef::kRd11MemberRecordSize, "struct member record size", layout::member::kRecordSize},
    };
    for (const Expected& e : expected) {
      const std::uint32_t value = bytes_.U32(0, e.field);
      if (value != e.value)
        return Fail(reason_, "RDEF: %s is %u, expected %zu", e.what, value, e.value);
    }
    const std::uint32_t binding_size = bytes_.U32(0, rdef::kRd11BindingRecordSize);
    if (binding_size != layout::binding::kRecordSizeSM50 &&
        binding_size != layout::binding::kRecordSizeSM51)
      return Fail(reason_, "RDEF: binding record size is %u, expected 32 or 40", binding_size);
    sizes_ =
        RecordSizes{binding_size, layout::variable::kRecordSizeSM5, layout::type::kRecordSizeSM5};
    parsed_->sm5_variables = true;
    return true;
  }

  [[nodiscard]] bool ParseCreator() {
    const std::uint32_t offset = bytes_.U32(0, rdef::kCreatorOffset);
    if (offset == 0) return true;
    if (offset >= bytes_.size() || std::memchr(bytes_.At(offset, bytes_.size() - offset), 0,
                                               bytes_.size() - offset) == nullptr)
      return Fail(reason_, "RDEF: creator string at offset 0x%x does not end inside the chunk",
                  offset);
    parsed_->creator = reinterpret_cast<const char*>(bytes_.At(offset, 1));
    return true;
  }

  [[nodiscard]] bool ParseBindings() {
    const std::uint32_t count = bytes_.U32(0, rdef::kBindingCount);
    const std::uint32_t offset = bytes_.U32(0, rdef::kBindingArrayOffset);
    if (count == 0) return true;
    if (!bytes_.FitsArray(offset, count, sizes_.binding))
      return Fail(reason_,
                  "RDEF: %u resource bindings of %zu bytes at offset 0x%x do not fit "
                  "in the %zu-byte chunk",
                  count, sizes_.binding, offset, bytes_.size());
    if (count > limits_.max_bindings)
      return Fail(reason_, "RDEF: %u resource bindings is more than the %u a shader may declare",
                  count, limits_.max_bindings);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t record = offset + i * sizes_.binding;
      const Where at{"resource binding", i, nullptr, nullptr};
      if (ReadName(bytes_.U32(record, layout::binding::kName), at, "name") == nullptr) return false;
    }
    parsed_->binding_count = count;
    return true;
  }

  [[nodiscard]] bool ParseBuffers() {
    const std::uint32_t count = bytes_.U32(0, rdef::kBufferCount);
    const std::uint32_t offset = bytes_.U32(0, rdef::kBufferArrayOffset);
    if (count == 0) return true;
    if (!bytes_.FitsArray(offset, count, layout::buffer::kRecordSize))
      return Fail(reason_,
                  "RDEF: %u constant buffers of 24 bytes at offset 0x%x do not fit in "
                  "the %zu-byte chunk",
                  count, offset, bytes_.size());
    if (count > limits_.max_buffers)
      return Fail(reason_, "RDEF: %u constant buffers is more than the %u a shader may declare",
                  count, limits_.max_buffers);
    parsed_->buffers.reserve(count);
    parsed_->variables.reserve(DeclaredVariableCount(offset, count));
    for (std::uint32_t i = 0; i < count; ++i) {
      if (!ParseBuffer(i, offset + i * layout::buffer::kRecordSize)) return false;
    }
    return true;
  }

  // The number of variables the buffers can hold, so they are stored in one
  // block without regrowing. Counts that will fail their checks add nothing,
  // so a lying header cannot make the reserve larger than the chunk allows.
  std::size_t DeclaredVariableCount(std::uint32_t array, std::uint32_t count) const {
    std::size_t total = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t record = array + i * layout::buffer::kRecordSize;
      const std::uint32_t variables = bytes_.U32(record, layout::buffer::kVariableCount);
      const std::uint32_t variable_array = bytes_.U32(record, layout::buffer::kVariableArrayOffset);
      if (variables <= limits_.max_variables_per_buffer &&
          bytes_.FitsArray(variable_array, variables, sizes_.variable))
        total += variables;
    }
    return total < limits_.max_variables ? total : limits_.max_variables;
  }

  [[nodiscard]] bool ParseBuffer(std::uint32_t index, std::size_t record) {
    ParsedBuffer buffer{};
    buffer.name = ReadName(bytes_.U32(record, layout::buffer::kName),
                           Where{"constant buffer", index, nullptr, nullptr}, "name");
    if (buffer.name == nullptr) return false;
    const Where at{"constant buffer", index, buffer.name, nullptr};
    buffer.variable_count = bytes_.U32(record, layout::buffer::kVariableCount);
    buffer.size = bytes_.U32(record, layout::buffer::kSize);
    buffer.flags = bytes_.U32(record, layout::buffer::kFlags);
    buffer.type = bytes_.U32(record, layout::buffer::kType);
    buffer.first_variable = static_cast<std::uint32_t>(parsed_->variables.size());

    const std::uint32_t array = bytes_.U32(record, layout::buffer::kVariableArrayOffset);
    if (buffer.variable_count > limits_.max_variables_per_buffer)
      return Fail(reason_, "%s: %u variables is more than the %u a constant buffer can hold",
                  at.Describe().c_str(), buffer.variable_count, limits_.max_variables_per_buffer);
    if (buffer.variable_count > limits_.max_variables - parsed_->variables.size())
      return Fail(reason_, "%s: the shader declares more than %u variables in all",
                  at.Describe().c_str(), limits_.max_variables);
    if (buffer.variable_count != 0 &&
        !bytes_.FitsArray(array, buffer.variable_count, sizes_.variable))
      return Fail(reason_,
                  "%s: %u variables of %zu bytes at offset 0x%x do not fit in the "
                  "%zu-byte RDEF chunk",
                  at.Describe().c_str(), buffer.variable_count, sizes_.variable, array,
                  bytes_.size());
    parsed_->buffers.push_back(buffer);
    const auto buffer_index = static_cast<std::uint32_t>(parsed_->buffers.size() - 1);
    for (std::uint32_t i = 0; i < buffer.variable_count; ++i) {
      const Where variable_at{"variable", i, nullptr, &at};
      if (!ParseVariable(variable_at, array + i * sizes_.variable, buffer_index)) return false;
    }
    return true;
  }

  [[nodiscard]] bool ParseVariable(const Where& at, std::size_t record,
                                   std::uint32_t buffer_index) {
    ParsedVariable variable{static_cast<std::uint32_t>(record), 0, buffer_index};
    if (ReadName(bytes_.U32(record, layout::variable::kName), at, "name") == nullptr) return false;
    const std::uint32_t size = bytes_.U32(record, layout::variable::kSize);
    const std::uint32_t default_offset = bytes_.U32(record, layout::variable::kDefaultValueOffset);
    if (default_offset != 0 && !bytes_.Fits(default_offset, size))
      return Fail(reason_,
                  "%s: default value of %u bytes at offset 0x%x is outside the RDEF "
                  "chunk",
                  at.Describe().c_str(), size, default_offset);
    if (!ResolveType(bytes_.U32(record, layout::variable::kTypeOffset), at, &variable.type))
      return false;
    parsed_->variables.push_back(variable);
    return true;
  }

  // Reads the type record at `offset` and its member records (their types
  // still unresolved) and appends it; fails on a record outside the chunk.
  [[nodiscard]] bool AddType(std::uint32_t offset, const Where& at, std::uint32_t* index) {
    if (parsed_->types.size() >= limits_.max_types)
      return Fail(reason_, "%s: the shader declares more than %u types", at.Describe().c_str(),
                  limits_.max_types);
    if (!bytes_.Fits(offset, sizes_.type))
      return Fail(reason_, "%s: type record offset 0x%x is outside the RDEF chunk",
                  at.Describe().c_str(), offset);
    namespace type_record = layout::type;
    ParsedType type{};
    type.variable_class = bytes_.U16(offset, type_record::kClass);
    type.base_type = bytes_.U16(offset, type_record::kBaseType);
    type.rows = bytes_.U16(offset, type_record::kRows);
    type.columns = bytes_.U16(offset, type_record::kColumns);
    type.elements = bytes_.U16(offset, type_record::kElements);
    type.member_count = bytes_.U16(offset, type_record::kMemberCount);
    type.first_member = static_cast<std::uint32_t>(parsed_->members.size());
    if (sizes_.type == type_record::kRecordSizeSM5) {
      const std::uint32_t name_offset = bytes_.U32(offset, type_record::kNameOffset);
      if (name_offset != 0) {
        type.name = ReadName(name_offset, at, "type name");
        if (type.name == nullptr) return false;
      }
    }
    if (!AddMembers(type, bytes_.U32(offset, type_record::kMemberArrayOffset), at)) return false;
    *index = static_cast<std::uint32_t>(parsed_->types.size());
    parsed_->types.push_back(type);
    type_index_.emplace(offset, *index);
    resolved_.push_back(false);
    return true;
  }

  [[nodiscard]] bool AddMembers(const ParsedType& type, std::uint32_t array, const Where& at) {
    if (type.member_count == 0) return true;
    if (!bytes_.FitsArray(array, type.member_count, layout::member::kRecordSize))
      return Fail(reason_, "%s: %u struct members at offset 0x%x do not fit in the RDEF chunk",
                  at.Describe().c_str(), type.member_count, array);
    if (type.member_count > limits_.max_members - parsed_->members.size())
      return Fail(reason_, "%s: the shader declares more than %u struct members",
                  at.Describe().c_str(), limits_.max_members);
    for (std::uint32_t i = 0; i < type.member_count; ++i) {
      const std::size_t record = array + i * layout::member::kRecordSize;
      ParsedMember member{};
      member.name = ReadName(bytes_.U32(record, layout::member::kName),
                             Where{"member", i, nullptr, &at}, "name");
      if (member.name == nullptr) return false;
      // Holds the type record's offset until ResolveType replaces it by an index.
      member.type = bytes_.U32(record, layout::member::kTypeOffset);
      member.offset = bytes_.U32(record, layout::member::kOffset);
      parsed_->members.push_back(member);
    }
    return true;
  }

  // Resolves the type graph below `offset` depth first with an explicit
  // stack, so a crafted file can neither recurse without bound nor loop.
  // Holds indices only: AddType grows the vectors the records live in.
  [[nodiscard]] bool ResolveType(std::uint32_t offset, const Where& at, std::uint32_t* index) {
    const auto known = type_index_.find(offset);
    if (known != type_index_.end()) {
      *index = known->second;
      return true;
    }
    if (!AddType(offset, at, index) || !CheckStructDepth(*index, 1, at)) return false;
    std::vector<TypeFrame> stack{{*index, 0}};
    while (!stack.empty()) {
      const std::uint32_t type = stack.back().type;
      const std::uint32_t first_member = parsed_->types[type].first_member;
      if (stack.back().next_member == parsed_->types[type].member_count) {
        resolved_[type] = true;
        stack.pop_back();
        continue;
      }
      const std::uint32_t member_index = first_member + stack.back().next_member++;
      // Names the member by its place in its own struct; deeper structs are
      // told apart by their record offset in the message.
      const Where member_at{"member", member_index - first_member, nullptr, &at};
      std::uint32_t member_type = 0;
      if (!ResolveMemberType(parsed_->members[member_index].type, member_at, stack.size(),
                             &member_type))
        return false;
      parsed_->members[member_index].type = member_type;
      if (!resolved_[member_type]) stack.push_back(TypeFrame{member_type, 0});
    }
    return true;
  }

  // The type of a member of a struct `depth` levels down: one already known
  // (a type still being resolved would contain itself), or a new record.
  [[nodiscard]] bool ResolveMemberType(std::uint32_t offset, const Where& at, std::size_t depth,
                                       std::uint32_t* index) {
    const auto seen = type_index_.find(offset);
    if (seen != type_index_.end()) {
      if (!resolved_[seen->second])
        return Fail(reason_, "%s: struct type at offset 0x%x contains itself",
                    at.Describe().c_str(), offset);
      *index = seen->second;
      return true;
    }
    if (!AddType(offset, at, index) || !CheckStructDepth(*index, depth + 1, at)) return false;
    if (parsed_->types[*index].member_count == 0) resolved_[*index] = true;
    return true;
  }

  // A type with members is a struct level of its own; the leaves below the
  // deepest allowed level are not.
  [[nodiscard]] bool CheckStructDepth(std::uint32_t type, std::size_t depth, const Where& at) {
    if (parsed_->types[type].member_count == 0 || depth <= limits_.max_struct_depth) return true;
    return Fail(reason_, "%s: structs nest deeper than %u levels", at.Describe().c_str(),
                limits_.max_struct_depth);
  }

  ByteView bytes_;
  ParsedRdef* parsed_;
  std::string* reason_;
  RdefLimits limits_;
  RecordSizes sizes_{};
  std::map<std::size_t, std::size_t> known_names_;  // NUL position -> lowest checked start
  std::unordered_map<std::uint32_t, std::uint32_t> type_index_;  // record offset -> index
  std::vector<bool> resolved_;  // by type index: all members' types are known
};

}  // namespace

bool ParseRdef(const unsigned char* rdef, std::size_t size, ParsedRdef* parsed, std::string* reason,
               const RdefLimits& limits) {
  *parsed = ParsedRdef{};
  parsed->bytes = rdef;
  parsed->size = size;
  return RdefParser(ByteView(rdef, size), parsed, reason, limits).Parse();
}

// Reads the record again, through a view that checks each read: the parser
// checked every field of it, and the view makes a mistake loud.
VariableFields ReadVariableFields(const ParsedRdef& parsed, const ParsedVariable& variable) {
  namespace record = layout::variable;
  const ByteView rdef(parsed.bytes, parsed.size);
  const std::size_t at = variable.record;
  VariableFields fields{};
  const std::uint32_t name = rdef.U32(at, record::kName);
  fields.name = reinterpret_cast<const char*>(rdef.At(name, 1));
  fields.start_offset = rdef.U32(at, record::kStartOffset);
  fields.size = rdef.U32(at, record::kSize);
  fields.flags = rdef.U32(at, record::kFlags);
  const std::uint32_t default_offset = rdef.U32(at, record::kDefaultValueOffset);
  fields.default_value = default_offset == 0 ? nullptr : rdef.At(default_offset, fields.size);
  if (parsed.sm5_variables) {
    fields.start_texture = rdef.U32(at, record::kStartTexture);
    fields.texture_size = rdef.U32(at, record::kTextureSize);
    fields.start_sampler = rdef.U32(at, record::kStartSampler);
    fields.sampler_size = rdef.U32(at, record::kSamplerSize);
  } else {
    // Shader model 4 records have no such fields; report "none" as for SM5.
    fields.start_texture = kNoResource;
    fields.start_sampler = kNoResource;
  }
  return fields;
}

}  // namespace shader_reflection
