// What the update flow asks of the system it runs on: the Win32 front, or a test's fake.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qvx::update {

enum class Download { done, failed, not_found, cancelled };

enum class Signature {
  same_signer,    // trusted, and signed with update.exe's own certificate
  self_unsigned,  // update.exe carries no signature to compare with
  untrusted,      // no valid trusted signature on the setup
  other_signer,   // trusted, but another certificate
};

struct FileFacts {
  std::uint64_t size = 0;
  std::string sha256;  // lowercase hex
};

class Front {
 public:
  virtual ~Front() = default;
  virtual std::string token() = 0;
  // The body of a 2xx reply; nothing when no such reply came.
  virtual std::optional<std::string> fetch(const std::string& url) = 0;
  // A folder created new for this run, with its final separator; empty when none could be.
  virtual std::string make_private_folder() = 0;
  // Shows the progress (and its cancel button) from here until the setup runs; a cancelled
  // download leaves no file behind.
  virtual Download download(const std::string& url, const std::string& path,
                            std::uint64_t size) = 0;
  virtual std::optional<FileFacts> inspect(const std::string& path) = 0;
  virtual Signature check_signature(const std::string& path) = 0;
  // The user pressed cancel while the progress was shown.
  virtual bool cancelled() = 0;
  // True once the client's single instance is gone, false when it stays past the wait.
  virtual bool wait_for_client() = 0;
  // The setup's exit code, nothing when it could not be started.
  virtual std::optional<int> run_setup(const std::string& path) = 0;
  // Removes the file (if there) and then the folder.
  virtual void remove(const std::string& path, const std::string& folder) = 0;
  virtual bool start_client() = 0;
  virtual void message(const std::string& text) = 0;
  virtual void log(const std::string& line) = 0;
};

}  // namespace qvx::update
