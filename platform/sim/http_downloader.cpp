#include "platform/sim/http_downloader.h"

#include <httplib.h>

#include <stdexcept>

#include "platform/sim/http_url.h"

namespace qvx::sim {
namespace err = platform::download_error;

namespace {

bool is_redirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

long error_code(httplib::Error e) {
  switch (e) {
    case httplib::Error::Connection:
      return err::cannot_connect;
    case httplib::Error::ConnectionTimeout:
      return err::timed_out;
    default:
      return err::failed;
  }
}

}  // namespace

long HttpDownloader::download(const std::string& url, const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fetched_.push_back(url);
    if (throw_next_) {
      throw_next_ = false;
      throw std::runtime_error("simulated download fault");
    }
  }
  std::string current = url;
  for (int hop = 0; hop <= limits_.redirects; ++hop) {
    const auto parsed = parse_http_url(current);
    if (!parsed) return fail(path, err::invalid_url);
    // Never ask a resolver about outside names: the simulated machine has loopback only.
    if (!is_loopback_host(parsed->host)) return fail(path, err::resolve_failed);

    httplib::Client client(parsed->host, parsed->port);
    client.set_connection_timeout(limits_.connect);
    client.set_read_timeout(limits_.read);
    client.set_write_timeout(limits_.read);
    client.set_url_encode(false);  // parse_http_url already made the target safe
    client.set_keep_alive(false);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (cancelled_) return fail(path, err::aborted);
      active_.insert(&client);
    }
    // The body goes to the file as it arrives, as the system's download does: a reply of any
    // size costs no memory here.
    std::unique_ptr<platform::OutputFile> out;
    std::string chunk;  // one buffer for every piece
    bool written = true;
    const auto res = client.Get(
        parsed->target,
        [&](const httplib::Response& r) {
          if (r.status < 200 || r.status > 299) return true;
          out = files_.open_output(path, false);
          written = out != nullptr;
          return written;
        },
        [&](const char* data, std::size_t length) {
          if (!out) return true;
          chunk.assign(data, length);
          out->write(chunk);
          return true;
        });
    out.reset();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      active_.erase(&client);
      if (cancelled_) return fail(path, err::aborted);
    }
    if (!written) return fail(path, err::cannot_write);
    if (!res) return fail(path, error_code(res.error()));
    if (is_redirect(res->status) && res->has_header("Location")) {
      current = resolve_location(*parsed, res->get_header_value("Location"));
      continue;
    }
    if (res->status < 200 || res->status > 299) return fail(path, err::failed);
    return 0;
  }
  return fail(path, err::redirect_loop);
}

// A failed download leaves no file, so no stale or error reply can be read as a fresh one.
long HttpDownloader::fail(const std::string& path, long code) {
  files_.remove(path);
  return code;
}

// A request waiting for its reply is woken by closing its socket.
void HttpDownloader::cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = true;
  for (void* client : active_) static_cast<httplib::Client*>(client)->stop();
}

void HttpDownloader::throw_next() {
  std::lock_guard<std::mutex> lock(mutex_);
  throw_next_ = true;
}

void HttpDownloader::end_process() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = false;
}

std::vector<std::string> HttpDownloader::fetched() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fetched_;
}

std::size_t HttpDownloader::live_downloads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return active_.size();
}

void HttpDownloader::clear_fetched() {
  std::lock_guard<std::mutex> lock(mutex_);
  fetched_.clear();
}

}  // namespace qvx::sim
