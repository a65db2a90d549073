// Shell execution with the "open" verb, normal window, no parameters.
#pragma once
#include <string>

namespace qvx::platform {

class Shell {
 public:
  virtual ~Shell() = default;
  virtual void open(const std::string& target) = 0;  // result not examined by callers
};

}  // namespace qvx::platform
