// The control against the form parsers of real servers: PHP (its built-in server runs the same
// parser as PHP under a web server), Flask/Werkzeug, Node's fetch-API parser, and nginx in front of
// PHP. Each server says what it made of the request (tests/e2e/servers); the files it saved are
// compared byte for byte with the ones the user dropped. A server whose program is not installed is
// skipped with a word on why (debian-packages lists php-cli, python3-flask and nodejs; nginx is left
// to the machine: Debian's package starts a server on port 80 of every address when installed).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/text/text.h"
#include "tests/e2e/e2e_support.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {
namespace {

namespace fs = std::filesystem;
constexpr unsigned char kAddressBase = 160;
const std::string kServers = DREV_SOURCE_DIR "/tests/e2e/servers";

bool Accepts(const std::string& address) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(80);
  ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  ::close(fd);
  return ok;
}

// A server program on port 80 of `address`, its output in `log`, stopped at scope end.
class ServerProcess {
 public:
  ServerProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                const std::string& address, const fs::path& log)
      : address_(address), log_(log) {
    // Everything the child needs is made before fork: a threaded parent's child may only exec.
    std::vector<std::string> envText = EnvironmentWith(env);
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = ::fork();
    if (pid_ == 0) {
      if (out >= 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
      }
      ::execvpe(args[0], args.data(), envp.data());
      ::_exit(127);
    }
    if (out >= 0) ::close(out);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (Accepts(address_)) {
        ready_ = true;
        return;
      }
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~ServerProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    for (int tick = 0; tick < 250; ++tick) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Address() const { return address_; }
  std::string Log() const { return drevtest::ReadFileBytes(log_); }

 private:
  std::string address_;
  fs::path log_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

bool Installed(const std::string& command) {
  return Run({"/bin/sh", "-c", command + " >/dev/null 2>&1"}).status == 0;
}

std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
  return bytes;
}

// What a server made of the request, from its reply as the page read it: drevhost prints the text
// on one line after "eval ", its line breaks as \n.
struct Received {
  std::string target;
  std::vector<std::pair<std::string, std::string>> fields;
  struct File {
    std::string field, name, saved;
    long size = -1;
    int error = -1;
  };
  std::vector<File> files;
  bool ended = false;
};

Received Parse(const std::vector<std::string>& output) {
  Received r;
  std::vector<std::string> lines;
  for (const std::string& line : output) {
    if (line.rfind("eval request ", 0) != 0) continue;
    std::string text = line.substr(5);
    for (std::size_t at = 0, next; at < text.size(); at = next + 2) {
      next = text.find("\\n", at);
      if (next == std::string::npos) next = text.size();
      lines.push_back(text.substr(at, next - at));
    }
  }
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    if (kind == "request") {
      std::string method, target;
      in >> method >> target;
      r.target = Unhex(target);
    } else if (kind == "field") {
      std::string name, value;
      in >> name >> value;
      r.fields.emplace_back(Unhex(name), Unhex(value));
    } else if (kind == "file") {
      Received::File f;
      std::string field, name, saved;
      in >> field >> name >> f.size >> f.error >> saved;
      f.field = Unhex(field);
      f.name = Unhex(name);
      f.saved = Unhex(saved);
      r.files.push_back(f);
    } else if (kind == "end") {
      r.ended = true;
    }
  }
  return r;
}

class ServerInteropTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegisterModule();
    fs::create_directories(Saved());
    // Bytes that trip naive parsers: every byte value, lines that begin like delimiters, CR LF pairs.
    std::string tricky;
    for (int round = 0; round < 4; ++round)
      for (int b = 0; b < 256; ++b) tricky += static_cast<char>(b);
    tricky += "\r\n--\r\n------WebKitFormBoundary7MA4YWxkTrZu0gW\r\nContent-Disposition: form-data\r\n\r\n--";
    std::string big(3 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7 + i / 4093) & 0xFF);
    files_ = {{"plain.txt", "hello\r\nworld\n"},
              {"tricky.dat", tricky},
              {"empty.txt", ""},
              {"한글 파일 이름.txt", "가나다 in UTF-8"},
              {"big.bin", big}};
  }

  fs::path Saved() const { return Dir() / "saved"; }

  // The page: the control aimed at `address`, its <param>s, the page's fields.
  void WriteUploadPage(const std::string& address, std::vector<std::pair<std::string, std::string>> params) {
    params.insert(params.begin(), {{"Normal_ServerName", address}, {"Normal_UploadURL", "/board/upload.php?no=7"},
                                   {"MaxFileCount", "20"}});
    WritePage("page.html", PageOf(ControlObject("up", params) +
                                  "<script>\n"
                                  "  up.SetUploadSize(64 * 1024 * 1024);\n"
                                  "  up.AddParameter('title', 'Hello, 안녕하세요');\n"
                                  "  up.AddParameter('memo', 'line one\\r\\nline two');\n"
                                  "  up.AddParameter('empty', '');\n"
                                  "</script>\n"));
  }

  // Drops `count` of the files (all by default), uploads and reads back what the server said.
  RunResult Upload(std::size_t count = 0) {
    std::vector<std::string> args{"run", "page.html", "--drop"};
    if (count == 0) count = files_.size();
    for (std::size_t i = 0; i < count; ++i) args.push_back(WriteFile(files_[i].first, files_[i].second));
    args.insert(args.end(), {"--eval", "up.UploadFiles()", "--eval", "up.GetServerResponse()", "--eval",
                             "up.GetFileCount('ATTACH_FILE')"});
    return Host(args);
  }

  // Every field and every file arrived, as `text` turns the page's texts into the server's bytes
  // and `sentName` a file's local path into the name the server was given.
  void ExpectEverything(const RunResult& run, const std::function<std::string(const std::string&)>& text,
                        const std::string& fileField, std::size_t count = 0) {
    if (count == 0) count = files_.size();
    const auto lines = run.Lines();
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    ASSERT_NE(std::find(lines.begin(), lines.end(), "eval true"), lines.end()) << run.out;
    EXPECT_EQ(lines.back(), "eval 0") << "the rows sent are gone from the list";
    Received r = Parse(lines);
    ASSERT_TRUE(r.ended) << run.out;
    EXPECT_EQ(r.target, "/board/upload.php?no=7");
    const std::vector<std::pair<std::string, std::string>> fields{{"DELETE_FILE_COUNT", "0"},
                                                                  {"DELETE_FILES", ""},
                                                                  {"title", text("Hello, 안녕하세요")},
                                                                  {"memo", "line one\r\nline two"},
                                                                  {"empty", ""}};
    EXPECT_EQ(r.fields, fields);
    ASSERT_EQ(r.files.size(), count) << run.out;
    for (std::size_t i = 0; i < count; ++i) {
      const auto& [name, bytes] = files_[i];
      EXPECT_EQ(r.files[i].field, fileField) << name;
      EXPECT_EQ(r.files[i].name, text(name)) << name;
      EXPECT_EQ(r.files[i].error, 0) << name;
      EXPECT_EQ(r.files[i].size, static_cast<long>(bytes.size())) << name;
      EXPECT_TRUE(drevtest::ReadFileBytes(r.files[i].saved) == bytes) << name << ": the saved bytes differ";
    }
  }

  std::unique_ptr<ServerProcess> StartPhp(const std::string& address) {
    return std::make_unique<ServerProcess>(
        std::vector<std::string>{"php", "-S", address + ":80", "-d", "upload_max_filesize=64M", "-d",
                                 "post_max_size=64M", "-d", "max_file_uploads=50", kServers + "/interop.php"},
        std::map<std::string, std::string>{{"INTEROP_SAVE_DIR", Saved().string()}}, address, Dir() / "php.log");
  }

  std::vector<std::pair<std::string, std::string>> files_;
};

std::string Cp949(const std::string& utf8) { return plat::text::Utf8ToCp949(utf8); }
std::string Same(const std::string& utf8) { return utf8; }

// PHP keeps one file per plain field name, the last, so the page names the rows' field as a list;
// the request is otherwise the control's own (code page 949, full paths, of which PHP keeps the
// last segment).
TEST_F(ServerInteropTest, PhpTakesEveryFieldAndFileWhenThePageNamesTheFilesAsAList) {
  if (!Installed("php -v")) GTEST_SKIP() << "php is not installed (Debian: php-cli)";
  auto php = StartPhp(drevtest::UniqueLoopbackAddress(kAddressBase));
  ASSERT_TRUE(php->Ready()) << php->Log();
  WriteUploadPage(php->Address(), {{"FileFieldName", "ATTACH_FILES[]"}});
  ExpectEverything(Upload(), Cp949, "ATTACH_FILES[]");
}

// Without the list name PHP itself drops all but the last file: what its authors must know.
TEST_F(ServerInteropTest, PhpKeepsOnlyTheLastFileOfTheControlsOwnFieldName) {
  if (!Installed("php -v")) GTEST_SKIP() << "php is not installed (Debian: php-cli)";
  auto php = StartPhp(drevtest::UniqueLoopbackAddress(kAddressBase));
  ASSERT_TRUE(php->Ready()) << php->Log();
  WriteUploadPage(php->Address(), {});
  RunResult run = Upload(2);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  Received r = Parse(run.Lines());
  ASSERT_EQ(r.files.size(), 1u) << run.out;
  EXPECT_EQ(r.files[0].field, "ATTACH_FILES");
  EXPECT_EQ(r.files[0].name, "tricky.dat");
}

TEST_F(ServerInteropTest, FlaskTakesEveryFieldAndFileOfTheUtf8Form) {
  if (!Installed("/usr/bin/python3 -c 'import flask'")) GTEST_SKIP() << "Flask is not installed (Debian: python3-flask)";
  const std::string address = drevtest::UniqueLoopbackAddress(kAddressBase);
  ServerProcess flask({"/usr/bin/python3", kServers + "/interop_flask.py", address, Saved().string()}, {}, address,
                      Dir() / "flask.log");
  ASSERT_TRUE(flask.Ready()) << flask.Log();
  WriteUploadPage(address, {{"Utf8Form", "1"}});
  ExpectEverything(Upload(), Same, "ATTACH_FILES");
}

TEST_F(ServerInteropTest, NodeTakesEveryFieldAndFileOfTheUtf8Form) {
  if (!Installed("node -e 'new Request(\"http://x/\").formData'")) GTEST_SKIP() << "node is not installed (Debian: nodejs)";
  const std::string address = drevtest::UniqueLoopbackAddress(kAddressBase);
  ServerProcess node({"node", kServers + "/interop_node.js", address, Saved().string()}, {}, address,
                     Dir() / "node.log");
  ASSERT_TRUE(node.Ready()) << node.Log();
  WriteUploadPage(address, {{"Utf8Form", "1"}});
  ExpectEverything(Upload(), Same, "ATTACH_FILES");
}

// nginx passes an upload within its body limit on to PHP unchanged, and refuses a larger one with
// 413: the page must hear of a failure and keep its rows.
TEST_F(ServerInteropTest, NginxInFrontOfPhpPassesAnUploadOnAndItsBodyLimitIsAFailure) {
  if (!Installed("php -v")) GTEST_SKIP() << "php is not installed (Debian: php-cli)";
  if (!Installed("test -x /usr/sbin/nginx")) GTEST_SKIP() << "nginx is not installed (Debian: nginx-light)";
  auto php = StartPhp(drevtest::UniqueLoopbackAddress(kAddressBase));
  ASSERT_TRUE(php->Ready()) << php->Log();
  const std::string address = drevtest::UniqueLoopbackAddress(kAddressBase);
  std::ifstream in(kServers + "/nginx.conf.in");
  std::string conf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
           {"@ADDRESS@", address}, {"@UPSTREAM@", php->Address()}, {"@DIR@", Dir().string()}}) {
    for (std::size_t at = conf.find(key); at != std::string::npos; at = conf.find(key, at + value.size()))
      conf.replace(at, key.size(), value);
  }
  WriteFile("nginx.conf", conf);
  ServerProcess nginx({"/usr/sbin/nginx", "-c", (Dir() / "nginx.conf").string(), "-e", (Dir() / "nginx-error.log").string()},
                      {}, address, Dir() / "nginx.log");
  ASSERT_TRUE(nginx.Ready()) << nginx.Log() << drevtest::ReadFileBytes(Dir() / "nginx-error.log");
  WriteUploadPage(address, {{"FileFieldName", "ATTACH_FILES[]"}});

  // Everything but the 3 MiB file fits in nginx's 1 MiB.
  ExpectEverything(Upload(4), Cp949, "ATTACH_FILES[]", 4);

  RunResult refused = Upload();
  ASSERT_EQ(refused.status, 0) << refused.out << refused.err;
  const auto lines = refused.Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "eval false"), lines.end()) << refused.out;
  EXPECT_EQ(lines.back(), "eval 5") << "the rows stay for another try";
  EXPECT_NE(refused.out.find("event UploadFailed(413, "), std::string::npos) << refused.out;
}

}  // namespace
}  // namespace drev::e2e
