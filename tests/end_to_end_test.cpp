// Runs the built Quorvane and compares standard output byte for byte, the
// exit status and the output file.
//
// By default it runs the native build. QUORVANE_EXE, QUORVANE_RUNNER (e.g.
// "wine") and QUORVANE_TARGET=windows point the same table at another build;
// what differs on Windows is stated once, in Target.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dxbc_builder.h"
#include "test_files.h"

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Everything that differs between the native and the Windows build.
struct Target {
  std::string exe = EnvOr("QUORVANE_EXE", QUORVANE_EXE);
  std::string build_step = EnvOr("QUORVANE_BUILD_STEP_EXE", QUORVANE_BUILD_STEP_EXE);
  std::string runner = EnvOr("QUORVANE_RUNNER", "");
  bool windows = EnvOr("QUORVANE_TARGET", "native") == "windows";

  // The output stream is text mode: on Windows each line feed becomes CR LF.
  std::string FileText(const std::string& lf_text) const {
    return windows ? WithCrLf(lf_text) : lf_text;
  }
  // Standard output is text mode too; Wine hands the console bytes through as
  // CR LF like Windows does.
  std::string ConsoleText(const std::string& lf_text) const {
    return windows ? WithCrLf(lf_text) : lf_text;
  }
  // A path as the tool was given it, as the test reads it back here.
  std::string HostPath(std::string path) const {
    if (windows)
      for (char& c : path)
        if (c == '\\') c = '/';
    return path;
  }
};

const Target& TheTarget() {
  static const Target target;
  return target;
}

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A fresh folder for one run, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "quorvane_e2e_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& contents) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(contents.data(), 1, contents.size(), f);
  std::fclose(f);
}

struct RunResult {
  int status = -1;
  std::string console;
};

// Runs a shell command in `dir` and keeps its standard output; standard
// error (Wine's chatter) is dropped.
RunResult RunInDir(const std::string& dir, const std::string& command) {
  const std::string console_path = dir + ".stdout";
  const std::string line =
      "cd " + Quote(dir) + " && " + command + " > " + Quote(console_path) + " 2>/dev/null";
  RunResult result;
  const int raw = std::system(line.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.console = test_files::ReadText(console_path);
  std::remove(console_path.c_str());
  return result;
}

// `stdin_command`, when given, is piped into the tool.
RunResult RunProgram(const std::string& exe, const std::string& dir,
                     const std::vector<std::string>& args, const std::string& stdin_command = "") {
  const Target& target = TheTarget();
  std::string command;
  if (!stdin_command.empty()) command += stdin_command + " | ";
  if (!target.runner.empty()) command += target.runner + " ";
  command += Quote(exe);
  for (const std::string& arg : args) command += " " + Quote(arg);
  return RunInDir(dir, command);
}

RunResult RunTool(const std::string& dir, const std::vector<std::string>& args,
                  const std::string& stdin_command = "") {
  return RunProgram(TheTarget().exe, dir, args, stdin_command);
}

std::string Fixture(const char* name) {
  return test_files::ReadText(test_files::FixturePath(name));
}

std::string Built(const dxbc_builder::ShaderPlan& plan) {
  const std::vector<unsigned char> bytes = dxbc_builder::Build(plan).bytes;
  return std::string(bytes.begin(), bytes.end());
}

struct Entry {
  const char* name;
  bool is_bool;
  int offset;
  int size;
};

std::string Head(const std::string& table) {
  return "#ifndef " + table + "\n\nconst QEX::CAPI::D3D_NS::ShaderBase::Uniform " + table +
         "[] =\n{\n";
}

std::string Entries(const std::vector<Entry>& entries) {
  std::string text;
  for (const Entry& e : entries) {
    text += std::string("\t{ \"") + e.name + "\", \tQEX::CAPI::D3D_NS::ShaderBase::" +
            (e.is_bool ? "VARTYPE_BOOL" : "VARTYPE_FLOAT") + ", " + std::to_string(e.offset) +
            ", " + std::to_string(e.size) + " },\n";
  }
  return text;
}

const char kTail[] = "};\n\n#endif\n";

std::string Table(const std::string& table, const std::vector<Entry>& entries) {
  return Head(table) + Entries(entries) + kTail;
}

const char kUsage[] =
    "Quorvane serializes out a binary file that contains QEX specific data for a given HLSL "
    "shader\n\nUsage:\n\n\tQuorvane [compiled_shader_byte_code_file_name] "
    "[output_shader_reflection_file_name]\n\n";

const std::vector<Entry> kGlobals = {{"Color", false, 0, 16},
                                     {"UseTexture", true, 16, 4},
                                     {"Unused", false, 20, 4},
                                     {"Weights", false, 32, 20}};

enum class Output { kAbsent, kEquals };

struct Case {
  const char* what;
  std::vector<std::pair<std::string, std::string>> files;  // created in the run's folder
  std::vector<std::string> args;
  std::string console;  // with line feeds; converted for the target
  int status;
  std::string output_path;  // checked after the run, as given to the tool
  Output output;
  std::string output_text;  // with line feeds; converted for the target unless `raw`
  bool raw = false;         // output_text is bytes left from before the run
  bool native_only = false;
  bool windows_only = false;
};

std::vector<Case> Cases() {
  dxbc_builder::ShaderPlan empty_buffer;
  empty_buffer.buffers = {dxbc_builder::BufferPlan{}};
  dxbc_builder::ShaderPlan dxil;
  dxil.with_rdef = false;
  dxil.extra_chunks = {{"DXIL", {0, 0, 0, 0}}};
  dxbc_builder::ShaderPlan quoted;
  dxbc_builder::BufferPlan quoted_buffer;
  quoted_buffer.variables = {dxbc_builder::Variable("Color", 0, 16, dxbc_builder::Float(4)),
                             dxbc_builder::Variable("say \"hi\"", 16, 4, dxbc_builder::Float())};
  quoted.buffers = {quoted_buffer};
  const std::string globals = Fixture("globals_ps_4_0.cso");
  const std::string truncated = globals.substr(0, 200);

  return {
      {"no arguments", {}, {}, kUsage, 1, "out_refl.h", Output::kAbsent, ""},
      {"one argument", {{"a.cso", globals}}, {"a.cso"}, kUsage, 1, "a_refl.h", Output::kAbsent, ""},
      {"three arguments",
       {{"a.cso", globals}},
       {"a.cso", "a_refl.h", "x"},
       kUsage,
       1,
       "a_refl.h",
       Output::kAbsent,
       ""},
      {"missing input keeps an existing output",
       {{"out_refl.h", "old contents\n"}},
       {"missing.cso", "out_refl.h"},
       "ERROR: File not found: missing.cso\n",
       1,
       "out_refl.h",
       Output::kEquals,
       "old contents\n",
       true},
      {"empty input",
       {{"empty.cso", ""}},
       {"empty.cso", "empty_refl.h"},
       "",
       1,
       "empty_refl.h",
       Output::kAbsent,
       ""},
      {"output in a missing folder",
       {{"a.cso", globals}},
       {"a.cso", "nodir/a_refl.h"},
       "ERROR: Failed to create file: nodir/a_refl.h\n",
       1,
       "nodir/a_refl.h",
       Output::kAbsent,
       ""},
      {"same path for input and output",
       {{"shader.cso", globals}},
       {"shader.cso", "shader.cso"},
       "Successfully serialized shader reflection info: shader.cso\n",
       0,
       "shader.cso",
       Output::kEquals,
       Table("shader", kGlobals)},
      {"floats, a bool, an unused float and an array in $Globals",
       {{"globals_ps_4_0.cso", globals}},
       {"globals_ps_4_0.cso", "globals_refl.h"},
       "Successfully serialized shader reflection info: globals_refl.h\n",
       0,
       "globals_refl.h",
       Output::kEquals,
       Table("globals_refl", kGlobals)},
      {"matrices of both majorities, vectors, a bool vector and a vector array",
       {{"two.cso", Fixture("two_cbuffers_vs_5_0.cso")}},
       {"two.cso", "two_refl.h"},
       "Successfully serialized shader reflection info: two_refl.h\n",
       0,
       "two_refl.h",
       Output::kEquals,
       Table("two_refl", {{"ViewProjection", false, 0, 64},
                          {"World", false, 64, 64},
                          {"LightDirection", false, 128, 12},
                          {"Time", false, 140, 4},
                          {"Toggles", true, 144, 8},
                          {"Jitter", false, 160, 40}})},
      {"no constant buffer",
       {{"plain.cso", Fixture("no_resources_vs_4_0.cso")}},
       {"plain.cso", "plain_refl.h"},
       "Did not get a constant buffer from shader: plain.cso",
       0,
       "plain_refl.h",
       Output::kEquals,
       "// No data available for shader reflection plain_refl"},
      {"textures but no constant buffer",
       {{"tex.cso", Fixture("texture_only_ps_4_1.cso")}},
       {"tex.cso", "tex_refl.h"},
       "Did not get a constant buffer from shader: tex.cso",
       0,
       "tex_refl.h",
       Output::kEquals,
       "// No data available for shader reflection tex_refl"},
      {"an int first",
       {{"int_first_ps_5_0.cso", Fixture("int_first_ps_5_0.cso")}},
       {"int_first_ps_5_0.cso", "first_refl.h"},
       "Unknown variable type for variable: 'Mode' used in shader 'int_first_ps_5_0.cso'",
       1,
       "first_refl.h",
       Output::kEquals,
       Head("first_refl")},
      {"an int after two floats",
       {{"after.cso", Fixture("int_after_floats_vs_4_1.cso")}},
       {"after.cso", "after_refl.h"},
       "Unknown variable type for variable: 'BoneCount' used in shader 'after.cso'",
       1,
       "after_refl.h",
       Output::kEquals,
       Head("after_refl") + Entries({{"Scale", false, 0, 4}, {"Offset", false, 4, 8}})},
      {"a struct after a float array",
       {{"s.cso", Fixture("struct_member_ps_5_0.cso")}},
       {"s.cso", "s_refl.h"},
       "Unknown variable type for variable: 'Sun' used in shader 's.cso'",
       1,
       "s_refl.h",
       Output::kEquals,
       Head("s_refl") + Entries({{"Weights", false, 0, 52}})},
      {"a buffer with no variables",
       {{"e.cso", Built(empty_buffer)}},
       {"e.cso", "e_refl.h"},
       "Successfully serialized shader reflection info: e_refl.h\n",
       0,
       "e_refl.h",
       Output::kEquals,
       Table("e_refl", {})},
      {"not a shader",
       {{"notes.txt", "These are notes, not a compiled shader at all.\n"}},
       {"notes.txt", "notes_refl.h"},
       "ERROR: Failed to reflect shader: notes.txt (not a compiled shader: the file does not start "
       "with \"DXBC\")\n",
       1,
       "notes_refl.h",
       Output::kAbsent,
       ""},
      {"truncated shader",
       {{"cut.cso", truncated}},
       {"cut.cso", "cut_refl.h"},
       "ERROR: Failed to reflect shader: cut.cso (container size field says 872 bytes but 200 "
       "bytes were given)\n",
       1,
       "cut_refl.h",
       Output::kAbsent,
       ""},
      {"DXIL",
       {{"sm6.cso", Built(dxil)}},
       {"sm6.cso", "sm6_refl.h"},
       "ERROR: Failed to reflect shader: sm6.cso (DXIL (shader model 6) is not supported; compile "
       "for shader model 4 or 5)\n",
       1,
       "sm6_refl.h",
       Output::kAbsent,
       ""},
      {"a name that would break its string literal keeps an existing output",
       {{"q.cso", Built(quoted)}, {"q_refl.h", "old contents\n"}},
       {"q.cso", "q_refl.h"},
       "ERROR: Cannot write the table of shader q.cso: the name of variable 1, 'say \\x22hi\\x22', "
       "holds byte 0x22, which a C++ string literal cannot hold as it is\n",
       1,
       "q_refl.h",
       Output::kEquals,
       "old contents\n",
       true},
      {"table name keeps the folder and its separator",
       {{"a.cso", globals}, {"out/", ""}},
       {"a.cso", "out\\simple.h"},
       "Successfully serialized shader reflection info: out\\simple.h\n",
       0,
       "out\\simple.h",
       Output::kEquals,
       Table("out\\simple", kGlobals)},
      {"a full device",
       {{"a.cso", globals}},
       {"a.cso", "/dev/full"},
       "ERROR: Failed to write file: /dev/full\n",
       1,
       "",
       Output::kAbsent,
       "",
       false,
       true},
      {"a full device and no constant buffer",
       {{"p.cso", Fixture("no_resources_vs_4_0.cso")}},
       {"p.cso", "/dev/full"},
       "Did not get a constant buffer from shader: p.csoERROR: Failed to write file: /dev/full\n",
       1,
       "",
       Output::kAbsent,
       "",
       false,
       true},
      // Wine's C run time reports success from fclose when its final flush
      // fails, so a header smaller than the stream's buffer shows the full
      // disk only to an explicit flush.
      {"a full disk under Windows",
       {{"a.cso", globals}},
       {"a.cso", "Z:\\dev\\full"},
       "ERROR: Failed to write file: Z:\\dev\\full\n",
       1,
       "",
       Output::kAbsent,
       "",
       false,
       false,
       true},
      {"a full disk under Windows and no constant buffer",
       {{"p.cso", Fixture("no_resources_vs_4_0.cso")}},
       {"p.cso", "Z:\\dev\\full"},
       "Did not get a constant buffer from shader: p.csoERROR: Failed to write file: "
       "Z:\\dev\\full\n",
       1,
       "",
       Output::kAbsent,
       "",
       false,
       false,
       true},
  };
}

void CreateFiles(const std::string& dir, const Case& c) {
  for (const auto& file : c.files) {
    const std::string path = dir + "/" + file.first;
    if (!file.first.empty() && file.first.back() == '/') {
      mkdir(path.c_str(), 0755);
    } else {
      WriteFile(path, file.second);
    }
  }
}

TEST(EndToEnd, MessagesStatusesAndOutputFiles) {
  const Target& target = TheTarget();
  for (const Case& c : Cases()) {
    if ((c.native_only && target.windows) || (c.windows_only && !target.windows)) continue;
    SCOPED_TRACE(c.what);
    const TempDir temp;
    const std::string& dir = temp.path();
    ASSERT_FALSE(dir.empty());
    CreateFiles(dir, c);
    const RunResult run = RunTool(dir, c.args);
    EXPECT_EQ(run.console, target.ConsoleText(c.console));
    EXPECT_EQ(run.status, c.status);
    if (c.output_path.empty()) continue;
    const std::string output = dir + "/" + target.HostPath(c.output_path);
    if (c.output == Output::kAbsent) {
      EXPECT_FALSE(test_files::Exists(output)) << output << " was created";
    } else {
      EXPECT_EQ(test_files::ReadText(output),
                c.raw ? c.output_text : target.FileText(c.output_text));
    }
  }
}

// A pipe cannot be measured by seeking; the loader reads it to its end.
TEST(EndToEnd, ReadsAShaderFromAPipe) {
  if (TheTarget().windows) GTEST_SKIP() << "pipes as paths are a Unix feature";
  const TempDir temp;
  const std::string& dir = temp.path();
  WriteFile(dir + "/g.cso", Fixture("globals_ps_4_0.cso"));
  const RunResult run = RunTool(dir, {"/dev/stdin", "g_refl.h"}, "cat g.cso");
  EXPECT_EQ(run.console, "Successfully serialized shader reflection info: g_refl.h\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(test_files::ReadText(dir + "/g_refl.h"), Table("g_refl", kGlobals));
}

// Every corpus shader, run as `Quorvane NAME.cso NAME_refl.h` in a folder of
// its own, prints and writes exactly what the platform's tool does.
TEST(EndToEnd, CorpusShadersGiveThePlatformToolsOutput) {
  if (!test_files::Exists(test_files::CorpusDir() + "/INDEX.tsv"))
    GTEST_SKIP() << "SKIPPED: no shared corpus at " << test_files::CorpusDir();
  const Target& target = TheTarget();
  for (const std::string& name : test_files::CorpusNames()) {
    SCOPED_TRACE(name);
    const std::string base = test_files::CorpusDir() + "/" + name;
    const TempDir temp;
    const std::string& dir = temp.path();
    WriteFile(dir + "/" + name + ".cso", test_files::ReadText(base + ".cso"));
    const RunResult run = RunTool(dir, {name + ".cso", name + "_refl.h"});
    EXPECT_EQ(run.console, target.ConsoleText(test_files::ReadText(base + ".stdout.txt")));
    EXPECT_EQ(std::to_string(run.status) + "\n", test_files::ReadText(base + ".status.txt"));
    const std::string output = dir + "/" + name + "_refl.h";
    if (test_files::Exists(base + ".header.txt")) {
      EXPECT_EQ(test_files::ReadText(output),
                target.FileText(test_files::ReadText(base + ".header.txt")));
    } else {
      EXPECT_FALSE(test_files::Exists(output));
    }
  }
}

// A run started with its standard streams closed must not take one of
// their descriptors for the header: its messages would land in the file.
TEST(EndToEnd, ClosedStandardStreamsNeverBecomeTheHeader) {
  if (TheTarget().windows) GTEST_SKIP() << "numbered standard descriptors are a Unix feature";
  const std::string long_name = std::string(200, 'p') + ".cso";
  struct Case {
    const char* what;
    std::string shader;
    std::string input;
    int status;
    std::string header;
  };
  const Case cases[] = {
      {"success", Fixture("globals_ps_4_0.cso"), "g.cso", 0, Table("out_refl", kGlobals)},
      {"an int first", Fixture("int_first_ps_5_0.cso"), "g.cso", 1, Head("out_refl")},
      {"no constant buffer and a long input path", Fixture("no_resources_vs_4_0.cso"), long_name, 0,
       "// No data available for shader reflection out_refl"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir temp;
    const std::string& dir = temp.path();
    WriteFile(dir + "/" + c.input, c.shader);
    const RunResult run = RunInDir(
        dir, "(" + Quote(TheTarget().exe) + " " + Quote(c.input) + " out_refl.h >&- 2>&-)");
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(test_files::ReadText(dir + "/out_refl.h"), c.header);
  }
}

// Two runs writing one header must not splice it: while one holds the
// header, another is refused before it cuts or writes anything.
TEST(EndToEnd, AHeaderHeldByAnotherRunIsRefusedAndKept) {
  if (TheTarget().windows) GTEST_SKIP() << "Windows holds the header by its share mode";
  const TempDir temp;
  const std::string& dir = temp.path();
  WriteFile(dir + "/g.cso", Fixture("globals_ps_4_0.cso"));
  WriteFile(dir + "/g_refl.h", "old\n");
  const int held = open((dir + "/g_refl.h").c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  const RunResult refused = RunTool(dir, {"g.cso", "g_refl.h"});
  EXPECT_EQ(refused.console, "ERROR: Failed to create file: g_refl.h\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(test_files::ReadText(dir + "/g_refl.h"), "old\n");
  close(held);
  const RunResult after = RunTool(dir, {"g.cso", "g_refl.h"});
  EXPECT_EQ(after.status, 0);
  EXPECT_EQ(test_files::ReadText(dir + "/g_refl.h"), Table("g_refl", kGlobals));
}

// A stream is read only up to the size limit, then refused.
TEST(EndToEnd, AnEndlessStreamIsRefusedAtTheSizeLimit) {
  if (TheTarget().windows) GTEST_SKIP() << "devices as paths are a Unix feature";
  const TempDir temp;
  const std::string& dir = temp.path();
  const RunResult run = RunTool(dir, {"/dev/zero", "z_refl.h"});
  EXPECT_EQ(run.console,
            "ERROR: File is larger than the 256 MiB a compiled shader may have: /dev/zero\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(test_files::Exists(dir + "/z_refl.h"));
}

// The build rules' program: the tool's run, with the header appearing only
// when that run succeeded, so a build never finds a partial one.
TEST(EndToEnd, BuildStepWritesTheHeaderOnlyWhenTheRunSucceeds) {
  const Target& target = TheTarget();
  struct Case {
    const char* what;
    std::string shader;
    const char* old_header;  // null: none before the run
    std::string console;
    int status;
    const char* header;  // null: none after the run
  };
  const std::string table = Table("g_refl", kGlobals);
  const Case cases[] = {
      {"success", Fixture("globals_ps_4_0.cso"), nullptr,
       "Successfully serialized shader reflection info: g_refl.h\n", 0, table.c_str()},
      {"success replaces the header", Fixture("globals_ps_4_0.cso"), "old\n",
       "Successfully serialized shader reflection info: g_refl.h\n", 0, table.c_str()},
      {"an int first leaves no header", Fixture("int_first_ps_5_0.cso"), nullptr,
       "Unknown variable type for variable: 'Mode' used in shader 'g.cso'", 1, nullptr},
      {"an int first keeps the last good header", Fixture("int_first_ps_5_0.cso"), "old\n",
       "Unknown variable type for variable: 'Mode' used in shader 'g.cso'", 1, "old\n"},
      {"not a shader leaves no header", "notes", nullptr,
       "ERROR: Failed to reflect shader: g.cso (5 bytes is too short for a compiled shader (at "
       "least 32))\n",
       1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir temp;
    const std::string& dir = temp.path();
    WriteFile(dir + "/g.cso", c.shader);
    if (c.old_header != nullptr) WriteFile(dir + "/g_refl.h", c.old_header);
    const RunResult run = RunProgram(target.build_step, dir, {"g.cso", "g_refl.h"});
    EXPECT_EQ(run.console, target.ConsoleText(c.console));
    EXPECT_EQ(run.status, c.status);
    if (c.header == nullptr) {
      EXPECT_FALSE(test_files::Exists(dir + "/g_refl.h"));
    } else {
      const bool written = c.status == 0;
      EXPECT_EQ(test_files::ReadText(dir + "/g_refl.h"),
                written ? target.FileText(c.header) : std::string(c.header));
    }
    if (c.status == 0) {
      EXPECT_FALSE(test_files::Exists(dir + "/g_refl.h.quorvane-tmp"));
    }
  }
  const TempDir temp;
  const RunResult usage = RunProgram(target.build_step, temp.path(), {"g.cso"});
  EXPECT_EQ(usage.status, 1);
  EXPECT_NE(usage.console.find("Usage:"), std::string::npos);
}

// Windows share modes, checked under Wine with a helper that holds the file
// open while the tool runs (QUORVANE_HOLD_OPEN: the helper's path).
TEST(EndToEnd, ShareModesOnWindows) {
  const Target& target = TheTarget();
  const std::string hold_open = EnvOr("QUORVANE_HOLD_OPEN", "");
  if (!target.windows || hold_open.empty()) GTEST_SKIP() << "share modes exist only on Windows";
  struct Case {
    const char* what;
    const char* mode;
    const char* held;
    std::string console;
    int status;
  };
  const Case cases[] = {
      {"the shader held open for reading is read", "read", "g.cso",
       "Successfully serialized shader reflection info: g_refl.h\n", 0},
      {"the shader held open for writing is refused", "write", "g.cso",
       "ERROR: File not found: g.cso\n", 1},
      {"an output held open for reading is refused", "read", "g_refl.h",
       "ERROR: Failed to create file: g_refl.h\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir temp;
    const std::string& dir = temp.path();
    WriteFile(dir + "/g.cso", Fixture("globals_ps_4_0.cso"));
    WriteFile(dir + "/g_refl.h", "old\n");
    WriteFile(dir + "/Quorvane.exe", test_files::ReadText(target.exe));
    WriteFile(dir + "/hold_open.exe", test_files::ReadText(hold_open));
    const RunResult run = RunInDir(dir, target.runner + " hold_open.exe " + c.mode + " " + c.held +
                                            " Quorvane.exe g.cso g_refl.h");
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.console, target.ConsoleText(c.console));
  }
}

// The header compiles into a program that defines the record type, and the
// program sees the table the tool described.
TEST(EndToEnd, WrittenHeaderCompilesAndHoldsTheTable) {
  if (TheTarget().windows) GTEST_SKIP() << "compiled by the native test only";
  const TempDir temp;
  const std::string& dir = temp.path();
  WriteFile(dir + "/two.cso", Fixture("two_cbuffers_vs_5_0.cso"));
  ASSERT_EQ(RunTool(dir, {"two.cso", "two_refl.h"}).status, 0);
  WriteFile(dir + "/main.cpp", R"(#include <cstdio>
namespace QEX { namespace CAPI { namespace D3D_NS {
class ShaderBase {
 public:
  enum VarType { VARTYPE_FLOAT, VARTYPE_BOOL };
  struct Uniform { const char* name; VarType type; int offset; int size; };
};
} } }
#include "two_refl.h"
int main() {
  for (const auto& u : two_refl)
    std::printf("%s %s %d %d\n", u.name,
                u.type == QEX::CAPI::D3D_NS::ShaderBase::VARTYPE_BOOL ? "bool" : "float",
                u.offset, u.size);
}
)");
  const std::string build = "cd " + Quote(dir) + " && " + Quote(QUORVANE_CXX_COMPILER) +
                            " -std=c++17 -Wall -Werror -o table main.cpp && ./table > table.txt";
  ASSERT_EQ(std::system(build.c_str()), 0);
  EXPECT_EQ(test_files::ReadText(dir + "/table.txt"),
            "ViewProjection float 0 64\nWorld float 64 64\nLightDirection float 128 12\n"
            "Time float 140 4\nToggles bool 144 8\nJitter float 160 40\n");
}

}  // namespace
