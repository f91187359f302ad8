// A page with several controls, run by drevhost against upload-receiver: each control uploads its
// own files to its own path with its own parameters, and only its own handlers hear of it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "tests/e2e/e2e_support.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

class SeveralControlsPageTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegisterModule();
  }

  static drevtest::ReceiverSetup ReceiverOptions() {
    drevtest::ReceiverSetup setup;
    setup.addressBase = 141;
    return setup;
  }
  // The receiver's lines for the requests it answered, up to the status (what follows it describes
  // the body).
  static std::vector<std::string> Posts(const drevtest::ReceiverProcess& receiver) {
    std::vector<std::string> posts;
    std::istringstream in(receiver.Output());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("POST ", 0) == 0) posts.push_back(line.substr(0, line.find(" body=")));
    return posts;
  }

  // One control per name, each aimed at "/<name>.php" of `receiver` with its own parameter, and
  // handlers that say which control heard what: the start, and the reply's path, parameter and file.
  std::string PageFor(const drevtest::ReceiverProcess& receiver, const std::vector<std::string>& names) {
    std::string body;
    for (const std::string& name : names) {
      body += ControlObject(name, {{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/" + name + ".php"}},
                            300, 120);
    }
    for (const std::string& name : names) {
      body += "<script for=\"" + name + "\" event=\"StartUpload()\">alert('" + name + " starts');</script>\n" +
              "<script for=\"" + name + "\" event=\"OnContentReceived(content)\">\n" +
              "  var r = JSON.parse(content);\n" +
              "  alert('" + name + " got ' + r.target + ' ' + r.fields[2].value + ' ' + r.files[0].filename.split('/').pop());\n" +
              "</script>\n";
    }
    body += "<script>\n";
    for (const std::string& name : names) {
      body += "  " + name + ".SetUploadSize(1000000);\n  " + name + ".AddParameter('from', '" + name + "');\n";
    }
    body += "</script>\n";
    return PageOf(body);
  }

  // The lines from drevhost's output that the handlers alerted, in order.
  static std::vector<std::string> Alerts(const RunResult& r) {
    std::vector<std::string> alerts;
    for (const std::string& line : r.Lines())
      if (line.rfind("alert ", 0) == 0) alerts.push_back(line);
    return alerts;
  }
};

TEST_F(SeveralControlsPageTest, TwoControlsEachSendTheirOwnUpload) {
  drevtest::ReceiverProcess receiver(ReceiverOptions());
  WriteFile("a.txt", "for one");
  WriteFile("b.txt", "for two");
  WritePage("page.html", PageFor(receiver, {"one", "two"}));
  RunResult r = Host({"run", "page.html", "--choose", "a.txt", "--eval", "one.AttachFiles()", "--choose", "b.txt",
                      "--eval", "two.AttachFiles()", "--eval", "one.UploadFiles()",
                      "--eval", "two.GetFileCount('ATTACH_FILE') + ' ' + two.GetServerResponse().length",
                      "--eval", "two.UploadFiles()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_THAT(Alerts(r), ElementsAre("alert one starts", "alert one got /one.php one a.txt", "alert two starts",
                                     "alert two got /two.php two b.txt"))
      << r.out;
  EXPECT_THAT(r.Lines(), Contains("eval 1 0")) << r.out;
  EXPECT_THAT(Posts(receiver), ElementsAre("POST /one.php HTTP/1.0 -> 200", "POST /two.php HTTP/1.0 -> 200"));
}

TEST_F(SeveralControlsPageTest, ThreeControlsUploadInAnyOrderAndKeepTheirOwnReplies) {
  drevtest::ReceiverProcess receiver(ReceiverOptions());
  WriteFile("a.txt", "for one");
  WriteFile("b.txt", "for two");
  WriteFile("c.txt", "for three");
  WritePage("page.html", PageFor(receiver, {"one", "two", "three"}));
  RunResult r = Host({"run", "page.html", "--choose", "a.txt", "--eval", "one.AttachFiles()", "--choose", "b.txt",
                      "--eval", "two.AttachFiles()", "--choose", "c.txt", "--eval", "three.AttachFiles()",
                      "--eval", "two.UploadFiles()", "--eval", "three.UploadFiles()", "--eval", "one.UploadFiles()",
                      "--eval",
                      "[one, two, three].map(function (c) { return JSON.parse(c.GetServerResponse()).target; }).join()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_THAT(Alerts(r), ElementsAre("alert two starts", "alert two got /two.php two b.txt", "alert three starts",
                                     "alert three got /three.php three c.txt", "alert one starts",
                                     "alert one got /one.php one a.txt"))
      << r.out;
  EXPECT_THAT(r.Lines(), Contains("eval /one.php,/two.php,/three.php")) << r.out;
  EXPECT_THAT(Posts(receiver), ElementsAre("POST /two.php HTTP/1.0 -> 200", "POST /three.php HTTP/1.0 -> 200",
                                           "POST /one.php HTTP/1.0 -> 200"));
}

}  // namespace
}  // namespace drev::e2e
