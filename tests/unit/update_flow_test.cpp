// The updater's steps against a fake front: every end, and what is left behind.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "update/manifest.h"
#include "update/sha256.h"
#include "update/update_flow.h"

namespace qvx::update {
namespace {

const std::string kSetup(4096, 's');

std::string manifest_for(const std::string& number, const std::string& version) {
  return "quovix-update 1\nversion=" + version + "\nnumber=" + number +
         "\nurl=http://server/dl/setup.exe\nsize=" + std::to_string(kSetup.size()) +
         "\nsha256=" + sha256_hex(kSetup) + "\n";
}

// Records each call as a step; answers as the test sets it up.
class FakeFront : public Front {
 public:
  std::map<std::string, std::optional<std::string>> replies;  // by server
  Download download_result = Download::done;
  std::string downloaded = kSetup;
  Signature signature = Signature::same_signer;
  std::string cancel_at;  // the step after which the user has pressed cancel
  bool client_ends = true;
  std::optional<int> setup_code = 0;
  bool client_starts = true;
  std::string folder = "C:\\T\\qvx-1\\";

  std::vector<std::string> steps;
  std::vector<std::string> messages;
  std::vector<std::string> log_lines;
  bool file_present = false;

  std::string token() override { return "abcde"; }
  std::optional<std::string> fetch(const std::string& url) override {
    const std::string server = url.substr(7, url.find('/', 7) - 7);
    steps.push_back("fetch " + server);
    EXPECT_EQ(url, "http://" + server + "/ClientComm/update.asp?t=abcde");
    return replies[server];
  }
  std::string make_private_folder() override {
    steps.push_back("folder");
    return folder;
  }
  Download download(const std::string& url, const std::string& path, std::uint64_t size) override {
    steps.push_back("download");
    EXPECT_EQ(url, "http://server/dl/setup.exe");
    EXPECT_EQ(path, folder + kSetupFileName);
    EXPECT_EQ(size, kSetup.size());
    file_present = download_result == Download::done;
    if (cancel_at == "download") return Download::cancelled;
    return download_result;
  }
  std::optional<FileFacts> inspect(const std::string&) override {
    steps.push_back("inspect");
    return FileFacts{downloaded.size(), sha256_hex(downloaded)};
  }
  Signature check_signature(const std::string&) override {
    steps.push_back("signature");
    return signature;
  }
  bool cancelled() override { return !cancel_at.empty() && cancel_at == steps.back(); }
  bool wait_for_client() override {
    steps.push_back("wait");
    return client_ends;
  }
  std::optional<int> run_setup(const std::string& path) override {
    steps.push_back("setup");
    EXPECT_TRUE(file_present);
    EXPECT_EQ(path, folder + kSetupFileName);
    return setup_code;
  }
  void remove(const std::string& path, const std::string& dir) override {
    steps.push_back("remove");
    EXPECT_EQ(path, folder + kSetupFileName);
    EXPECT_EQ(dir, folder);
    file_present = false;
  }
  bool start_client() override {
    steps.push_back("start");
    return client_starts;
  }
  void message(const std::string& text) override { messages.push_back(text); }
  void log(const std::string& line) override { log_lines.push_back(line); }
};

class UpdateFlow : public ::testing::Test {
 protected:
  UpdateFlow() { front.replies["one:80"] = manifest_for("2431", "2.43.1"); }
  Result run() { return run_update(front, {"one:80", "two"}, "2430"); }
  // One message, the outcome's own, and it was logged as well.
  void expect_told(const Result& r, Outcome outcome) {
    EXPECT_EQ(r.outcome, outcome);
    ASSERT_EQ(front.messages.size(), 1u);
    EXPECT_EQ(front.messages[0], outcome_message(r));
    EXPECT_FALSE(front.messages[0].empty());
    EXPECT_EQ(front.log_lines.back(), front.messages[0]);
  }
  using Steps = std::vector<std::string>;
  FakeFront front;
};

TEST_F(UpdateFlow, InstallsVerifiedSetupAndStartsTheNewClient) {
  const Result r = run();
  EXPECT_EQ(r.outcome, Outcome::updated);
  EXPECT_EQ(front.steps, (Steps{"fetch one:80", "folder", "download", "inspect", "signature",
                                "wait", "setup", "remove", "start"}));
  EXPECT_TRUE(front.messages.empty());
}

TEST_F(UpdateFlow, TriesServerTwoWhenServerOneFails) {
  front.replies["one:80"] = std::nullopt;
  front.replies["two"] = manifest_for("2431", "2.43.1");
  EXPECT_EQ(run().outcome, Outcome::updated);
  EXPECT_EQ(front.steps[0], "fetch one:80");
  EXPECT_EQ(front.steps[1], "fetch two");
  // A bad reply from server 1 is no better than none.
  front.steps.clear();
  front.replies["one:80"] = "<html>busy</html>";
  EXPECT_EQ(run().outcome, Outcome::updated);
  EXPECT_EQ(front.steps[1], "fetch two");
}

TEST_F(UpdateFlow, NoServerAndBadReplyAreTold) {
  front.replies["one:80"] = std::nullopt;
  expect_told(run(), Outcome::no_server);
  EXPECT_EQ(front.steps, (Steps{"fetch one:80", "fetch two"}));

  front = FakeFront();
  front.replies["one:80"] = "quovix-update 1\nversion=2.43.1\n";
  expect_told(run(), Outcome::bad_reply);
  EXPECT_EQ(front.steps, (Steps{"fetch one:80", "fetch two"}));
}

TEST_F(UpdateFlow, NothingNewerEndsWithoutRestartingTheClient) {
  for (const auto& [number, version] : {std::pair{"2430", "2.43"}, {"2420", "2.42"}}) {
    front = FakeFront();
    front.replies["one:80"] = manifest_for(number, version);
    expect_told(run(), Outcome::nothing_newer);
    EXPECT_EQ(front.steps, (Steps{"fetch one:80"})) << number;
  }
}

TEST_F(UpdateFlow, DownloadFailuresRemoveTheFolderAndKeepTheClient) {
  for (auto [download, outcome] : {std::pair{Download::failed, Outcome::download_failed},
                                   {Download::not_found, Outcome::setup_missing}}) {
    front = FakeFront();
    front.replies["one:80"] = manifest_for("2431", "2.43.1");
    front.download_result = download;
    expect_told(run(), outcome);
    EXPECT_EQ(front.steps, (Steps{"fetch one:80", "folder", "download", "remove"}));
  }
  front = FakeFront();
  front.replies["one:80"] = manifest_for("2431", "2.43.1");
  front.folder.clear();
  expect_told(run(), Outcome::folder_failed);
  EXPECT_EQ(front.steps, (Steps{"fetch one:80", "folder"}));
}

TEST_F(UpdateFlow, TruncatedOrCorruptDownloadIsNeverRun) {
  std::string corrupt = kSetup;
  corrupt[100] ^= 1;
  for (auto [bytes, outcome] : {std::pair{kSetup.substr(0, 4000), Outcome::wrong_size},
                                {kSetup + "x", Outcome::wrong_size},
                                {corrupt, Outcome::wrong_digest}}) {
    front = FakeFront();
    front.replies["one:80"] = manifest_for("2431", "2.43.1");
    front.downloaded = bytes;
    expect_told(run(), outcome);
    EXPECT_EQ(front.steps, (Steps{"fetch one:80", "folder", "download", "inspect", "remove"}));
  }
}

TEST_F(UpdateFlow, SignatureMustBeTrustedAndOurOwn) {
  for (auto [signature, outcome] : {std::pair{Signature::self_unsigned, Outcome::self_unsigned},
                                    {Signature::untrusted, Outcome::untrusted},
                                    {Signature::other_signer, Outcome::other_signer}}) {
    front = FakeFront();
    front.replies["one:80"] = manifest_for("2431", "2.43.1");
    front.signature = signature;
    expect_told(run(), outcome);
    EXPECT_EQ(front.steps,
              (Steps{"fetch one:80", "folder", "download", "inspect", "signature", "remove"}));
  }
}

TEST_F(UpdateFlow, CancelAtEachStepBeforeTheSetupRuns) {
  const std::map<std::string, Steps> cases = {
      {"download", {"fetch one:80", "folder", "download", "remove"}},
      {"signature", {"fetch one:80", "folder", "download", "inspect", "signature", "remove"}},
      {"wait", {"fetch one:80", "folder", "download", "inspect", "signature", "wait", "remove"}},
  };
  for (const auto& [step, steps] : cases) {
    front = FakeFront();
    front.replies["one:80"] = manifest_for("2431", "2.43.1");
    front.cancel_at = step;
    expect_told(run(), Outcome::cancelled);
    EXPECT_EQ(front.steps, steps) << step;
  }
}

TEST_F(UpdateFlow, ClientThatStaysAndSetupFailuresAreTold) {
  front.client_ends = false;
  expect_told(run(), Outcome::client_running);
  EXPECT_EQ(front.steps.back(), "remove");

  front = FakeFront();
  front.replies["one:80"] = manifest_for("2431", "2.43.1");
  front.setup_code = std::nullopt;
  expect_told(run(), Outcome::setup_not_started);

  for (int code : {1, 3, 9, 10, 42}) {
    front = FakeFront();
    front.replies["one:80"] = manifest_for("2431", "2.43.1");
    front.setup_code = code;
    const Result r = run();
    expect_told(r, Outcome::setup_failed);
    EXPECT_EQ(r.setup_code, code);
    EXPECT_NE(front.messages[0].find("代码" + std::to_string(code)), std::string::npos);
    EXPECT_EQ(front.steps.back(), "remove") << "no restart after a failed setup";
  }
  EXPECT_NE(outcome_message({Outcome::setup_failed, 3}),
            outcome_message({Outcome::setup_failed, 9}));
}

TEST_F(UpdateFlow, ClientThatCannotStartAfterUpdateIsTold) {
  front.client_starts = false;
  expect_told(run(), Outcome::client_not_started);
}

}  // namespace
}  // namespace qvx::update
