#include "update/update_flow.h"

#include "update/manifest.h"

namespace qvx::update {
namespace {

struct Fetched {
  std::optional<Manifest> manifest;
  bool any_reply = false;  // some server answered, though not with a valid manifest
};

Fetched fetch_manifest(Front& front, const std::vector<std::string>& servers) {
  Fetched result;
  for (std::size_t i = 0; i < servers.size(); ++i) {
    const std::string server = std::to_string(i + 1);
    const std::string url = "http://" + servers[i] + "/ClientComm/update.asp?t=" + front.token();
    const std::optional<std::string> body = front.fetch(url);
    if (!body) {
      front.log("更新服务器" + server + "无回复：" + url);
      continue;
    }
    ManifestResult parsed = parse_manifest(*body);
    if (!parsed.manifest) {
      result.any_reply = true;
      front.log("更新服务器" + server + "的回复无效：" + parsed.error);
      continue;
    }
    result.manifest = std::move(parsed.manifest);
    return result;
  }
  return result;
}

// The downloaded file against the manifest, then its signature.
Outcome check(Front& front, const std::string& path, const Manifest& m) {
  const std::optional<FileFacts> facts = front.inspect(path);
  if (!facts || facts->size != m.size) {
    front.log("下载的文件大小不符：" + (facts ? std::to_string(facts->size) : std::string("无")) +
              "，应为" + std::to_string(m.size));
    return Outcome::wrong_size;
  }
  if (facts->sha256 != m.sha256) {
    front.log("下载的文件SHA-256不符：" + facts->sha256);
    return Outcome::wrong_digest;
  }
  switch (front.check_signature(path)) {
    case Signature::same_signer:
      return Outcome::updated;
    case Signature::self_unsigned:
      return Outcome::self_unsigned;
    case Signature::untrusted:
      return Outcome::untrusted;
    case Signature::other_signer:
      return Outcome::other_signer;
  }
  return Outcome::untrusted;
}

// From the download to the setup's end; the caller removes the file afterwards.
Result install(Front& front, const std::string& path, const Manifest& m) {
  switch (front.download(m.url, path, m.size)) {
    case Download::done:
      break;
    case Download::cancelled:
      return {Outcome::cancelled};
    case Download::not_found:
      return {Outcome::setup_missing};
    case Download::failed:
      return {Outcome::download_failed};
  }
  front.log("下载完成");
  const Outcome checked = check(front, path, m);
  if (checked != Outcome::updated) return {checked};
  front.log("更新文件校验通过");
  if (front.cancelled()) return {Outcome::cancelled};
  if (!front.wait_for_client()) return {Outcome::client_running};
  // The last chance to cancel: the setup cannot be stopped half way.
  if (front.cancelled()) return {Outcome::cancelled};
  front.log("运行安装程序");
  const std::optional<int> code = front.run_setup(path);
  if (!code) return {Outcome::setup_not_started};
  if (*code != 0) return {Outcome::setup_failed, *code};
  return {Outcome::updated};
}

Result finish(Front& front, Result result) {
  const std::string text = outcome_message(result);
  if (!text.empty()) {
    front.log(text);
    front.message(text);
  }
  return result;
}

}  // namespace

Result run_update(Front& front, const std::vector<std::string>& servers,
                  const std::string& own_number) {
  front.log("开始更新，当前版本号为：" + own_number);
  const Fetched fetched = fetch_manifest(front, servers);
  if (!fetched.manifest)
    return finish(front, {fetched.any_reply ? Outcome::bad_reply : Outcome::no_server});
  const Manifest& m = *fetched.manifest;
  front.log("最新版本为：" + m.version + "（" + m.number + "），" + m.url);
  // Both numbers have four digits: the service compares them as text as well.
  if (!(m.number > own_number)) return finish(front, {Outcome::nothing_newer});

  const std::string folder = front.make_private_folder();
  if (folder.empty()) return finish(front, {Outcome::folder_failed});
  const std::string path = folder + kSetupFileName;
  Result result = install(front, path, m);
  front.remove(path, folder);
  if (result.outcome == Outcome::updated) {
    front.log("更新完成，版本为：" + m.version);
    if (!front.start_client()) result.outcome = Outcome::client_not_started;
  }
  return finish(front, result);
}

}  // namespace qvx::update
